// Counting, checking and cutting UTF-8, and the generalized UTF-8 that
// carries UTF-16 names exactly.
#include <gtest/gtest.h>

#include <string>

#include "platform/unicode.h"

namespace {

TEST(Utf8, ValidSequencesAndTheirBounds) {
    const struct {
        std::string text;
        bool valid, generalized; // utf8_is_valid, wtf8_is_valid
        size_t characters;       // a byte outside a valid sequence is one
    } cases[] = {
        {"a\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80", true, true, 4},
        {"\xe0\xa0\x80", true, true, 1},
        {"\xe0\x80\x80", false, false, 3}, // overlong
        {"\xc0\x80", false, false, 2},     // overlong
        {"\xed\x9f\xbf", true, true, 1},
        {"\xed\xa0\x80", false, true, 1}, // a surrogate
        {"\xed\xbf\xbf", false, true, 1},
        {"\xed\xa0", false, false, 2},
        {"\xf4\x8f\xbf\xbf", true, true, 1},
        {"\xf1\x80\x80\x80\xf3\xbf\xbf\xbf", true, true, 2}, // U+40000 and U+FFFFF
        {"\xf4\x90\x80\x80", false, false, 4},               // beyond U+10FFFF
        {"\xc3", false, false, 1},
        {"\x80\xc3\xa9", false, false, 2},
        // The last byte of a block of ASCII leads a sequence, or leads none.
        {std::string(64, 'a') + "\xc3\xa9", true, true, 65},
        {std::string(64, 'a') + "\xff" + "a", false, false, 66},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(utf8_is_valid(c.text.data(), c.text.size()), c.valid) << c.text;
        EXPECT_EQ(wtf8_is_valid(c.text.data(), c.text.size()), c.generalized) << c.text;
        EXPECT_EQ(utf8_count(c.text.data(), c.text.size()), c.characters) << c.text;
    }
}

TEST(Utf8, CutsOnlyWholeCharacters) {
    const std::string text = "ab\xe2\x82\xac\xf0\x9f\x98\x80";
    const size_t whole[] = {0, 1, 2, 2, 2, 5, 5, 5, 5, 9};
    for (size_t length = 0; length <= text.size(); ++length) {
        EXPECT_EQ(utf8_whole(text.data(), length), whole[length]) << length;
        EXPECT_EQ(utf8_cut(text.data(), text.size(), length), whole[length]) << length;
        EXPECT_EQ(utf8_is_valid_prefix(text.data(), length), true) << length;
    }
    EXPECT_EQ(utf8_skip(text.data(), text.size(), 3), 5u);
    // A lead byte whose sequence is broken is a character of its own; a
    // surrogate's form is one character.
    const std::string broken = "\xe2\x82x\xed\xa0\x80";
    const size_t cut[] = {0, 1, 2, 3, 3, 3, 6};
    for (size_t limit = 0; limit <= broken.size(); ++limit)
        EXPECT_EQ(utf8_cut(broken.data(), broken.size(), limit), cut[limit]) << limit;
    EXPECT_EQ(utf8_whole(broken.data(), 5), 3u);
    EXPECT_FALSE(utf8_is_valid_prefix(broken.data(), 3)); // broken before the end
    // A lead byte whose next byte cannot continue it is no cut character; no
    // look back passes the start of the text (here a lead byte lies before it).
    EXPECT_EQ(utf8_whole("\xe0\x80", 2), 2u);
    const char continued[] = "\xe2\x80\x80\x80\x80";
    EXPECT_EQ(utf8_cut(continued + 1, 4, 1), 1u);
}

TEST(Utf16, LoneSurrogatesRoundTrip) {
    const struct {
        std::wstring units; // one UTF-16 unit per element
        std::string text;
        uint32_t surrogate; // wtf8_surrogate
    } cases[] = {
        {L"a\u00e9", "a\xc3\xa9", 0},
        {{0xD83D, 0xDE00}, "\xf0\x9f\x98\x80", 0},
        {{'x', 0xD800, '.'}, "x\xed\xa0\x80.", 0xD800},
        {{0xDC00, 0xD800}, "\xed\xb0\x80\xed\xa0\x80", 0xDC00},
        {{0xD83D}, "\xed\xa0\xbd", 0xD83D},
        {{0xD800, 0xE000}, "\xed\xa0\x80\xee\x80\x80", 0xD800}, // no pair
        {{'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 0xDFFF}, "abcdefgh\xed\xbf\xbf", 0xDFFF},
        {{0xFFFD}, "\xef\xbf\xbd", 0},
        {{0xD800, 0xDC00}, "\xf0\x90\x80\x80", 0}, // U+10000, the first of two units
    };
    for (const auto &c : cases) {
        char text[16];
        size_t taken = 0;
        size_t length = utf16_to_wtf8(c.units.data(), c.units.size(), text, sizeof text, &taken);
        EXPECT_EQ(std::string(text, length), c.text);
        EXPECT_EQ(taken, c.units.size());
        EXPECT_EQ(utf16_wtf8_length(c.units.data(), c.units.size()), c.text.size());
        EXPECT_EQ(wtf8_utf16_length(c.text.data(), c.text.size()), c.units.size()) << c.text;
        wchar_t units[16];
        size_t count = wtf8_to_utf16(c.text.data(), c.text.size(), units, 16, &taken);
        EXPECT_EQ(std::wstring(units, count), c.units) << c.text;
        EXPECT_EQ(taken, c.text.size());
        EXPECT_EQ(wtf8_surrogate(c.text.data(), c.text.size()), c.surrogate) << c.text;
    }
    // Whole characters only; a stray byte becomes U+FFFD.
    const wchar_t pair[] = {0xD83D, 0xDE00};
    char text[4];
    size_t taken = 9;
    EXPECT_EQ(utf16_to_wtf8(pair, 2, text, 3, &taken), 0u);
    EXPECT_EQ(taken, 0u);
    wchar_t units[2];
    EXPECT_EQ(wtf8_to_utf16("\xf0\x9f\x98\x80", 4, units, 1, &taken), 0u);
    EXPECT_EQ(wtf8_to_utf16("\xff", 1, units, 2, &taken), 1u);
    EXPECT_EQ(units[0], 0xFFFD);
}

} // namespace
