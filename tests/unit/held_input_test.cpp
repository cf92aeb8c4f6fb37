// The bytes that a peek takes from a source that cannot give them back.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/held_input.h"

namespace {

// The source that peek_by_reading reads: its bytes, how far they have been
// read, whether it can give bytes back (a file) and whether reading it fails.
struct Source {
    std::string bytes;
    size_t at = 0;
    bool seeks = true, seek_fails = false, read_fails = false;
};
Source source;

long read_source(int, char *buffer, size_t size) {
    if (source.read_fails)
        return -1;
    size_t count = std::min(size, source.bytes.size() - source.at);
    source.bytes.copy(buffer, count, source.at);
    source.at += count;
    return static_cast<long>(count);
}

// Accepts 0 from a file; a seek back that fails after the read is refused.
bool give_back(int, size_t count) {
    if (!source.seeks || (count > 0 && source.seek_fails))
        return false;
    source.at -= count;
    return true;
}

long peek(int handle, size_t least, std::string *seen) {
    char buffer[64];
    long count = peek_by_reading(handle, buffer, sizeof buffer, least, read_source, give_back);
    seen->assign(buffer, count > 0 ? static_cast<size_t>(count) : 0);
    return count;
}

// What read_held hands out, in pieces of at most size bytes, until it says that
// the source has ended (0) or that it holds nothing (-1: the next read goes to
// the source); that last answer in *after.
std::string held_bytes(int handle, size_t size, long *after) {
    std::string all;
    char buffer[64];
    while ((*after = read_held(handle, buffer, size)) > 0)
        all.append(buffer, static_cast<size_t>(*after));
    return all;
}

TEST(HeldInput, BytesThatCannotGoBackAreHeldForTheirHandleOnly) {
    const struct {
        Source source;
        long peeked;
        std::string held; // handed out by read_held afterwards
        long after;       // read_held's answer after them
    } cases[] = {
        {{"yes\nrest"}, 8, "", -1},                         // a file gives them all back
        {{"yes\nrest", 0, true, true}, 8, "yes\nrest", -1}, // its seek back failed
        {{"yes\nrest", 0, false}, 3, "yes", -1},            // no further than asked
        {{"", 0, false}, 0, "", 0},                         // the end, which is kept
        {{"", 0, true, false, true}, -1, "", -1},           // a read error is no end
        {{"", 0, false, false, true}, -1, "", -1},
    };
    for (const auto &c : cases) {
        forget_held(7); // as the handle of the case before was closed
        source = c.source;
        std::string seen;
        EXPECT_EQ(peek(7, 3, &seen), c.peeked) << c.source.bytes;
        EXPECT_EQ(seen, c.source.bytes.substr(0, seen.size())) << c.source.bytes;
        long after = 0;
        EXPECT_EQ(held_bytes(8, 64, &after), "") << "another handle";
        EXPECT_EQ(after, -1) << "another handle";
        EXPECT_EQ(held_bytes(7, 2, &after), c.held) << c.source.bytes;
        EXPECT_EQ(after, c.after) << c.source.bytes;
        EXPECT_EQ(source.bytes.substr(source.at), c.source.bytes.substr(c.held.size()))
            << "left in the source: " << c.source.bytes;
    }
}

TEST(HeldInput, AClosedHandleLeavesNothingToTheNextWithItsNumber) {
    source = {"yes\nrest", 0, false};
    std::string seen;
    ASSERT_EQ(peek(7, 3, &seen), 3);
    forget_held(7);
    long after = 0;
    EXPECT_EQ(held_bytes(7, 64, &after), "");
    EXPECT_EQ(after, -1);
}

} // namespace
