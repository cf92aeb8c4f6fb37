// Counting, checking and cutting UTF-8.
#include <gtest/gtest.h>

#include <string>

#include "platform/unicode.h"

namespace {

TEST(Utf8, ValidSequencesAndTheirBounds) {
    const struct {
        std::string text;
        bool valid;
        size_t characters; // a byte outside a valid sequence is one
    } cases[] = {
        {"a\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80", true, 4},
        {"\xe0\xa0\x80", true, 1},
        {"\xe0\x80\x80", false, 3}, // overlong
        {"\xc0\x80", false, 2},     // overlong
        {"\xed\x9f\xbf", true, 1},
        {"\xed\xa0\x80", false, 3}, // a surrogate
        {"\xf4\x8f\xbf\xbf", true, 1},
        {"\xf4\x90\x80\x80", false, 4}, // beyond U+10FFFF
        {"\xc3", false, 1},
        {"\x80\xc3\xa9", false, 2},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(utf8_is_valid(c.text.data(), c.text.size()), c.valid) << c.text;
        EXPECT_EQ(utf8_count(c.text.data(), c.text.size()), c.characters) << c.text;
    }
}

TEST(Utf8, CutsOnlyWholeCharacters) {
    const std::string text = "ab\xe2\x82\xac\xf0\x9f\x98\x80";
    const size_t whole[] = {0, 1, 2, 2, 2, 5, 5, 5, 5, 9};
    for (size_t length = 0; length <= text.size(); ++length) {
        EXPECT_EQ(utf8_whole(text.data(), length), whole[length]) << length;
        EXPECT_EQ(utf8_is_valid_prefix(text.data(), length), true) << length;
    }
    EXPECT_EQ(utf8_skip(text.data(), text.size(), 3), 5u);
}

} // namespace
