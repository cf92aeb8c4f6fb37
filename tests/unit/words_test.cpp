// nword, word, findw, findm, finds and parse.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "tests/fake_platform.h"

namespace {

struct Case {
    std::vector<std::string> args; // after "X -t"
    std::string out;               // everything printed
    int code;
};

void check(const std::vector<Case> &cases) {
    for (const Case &c : cases) {
        fake_reset();
        RunResult r = run_test_mode(c.args);
        std::string label = c.args[0] + " " + c.args.back().substr(0, 20);
        EXPECT_EQ(r.out, c.out) << label;
        EXPECT_EQ(r.code, c.code) << label;
        EXPECT_TRUE(fake().env.empty()) << label;
    }
}

std::string set(const std::string &value) {
    return "set X=" + value + "\n";
}

TEST(Words, CountAndPick) {
    check({
        {{"nword"}, set("0"), 0},
        {{"nword", "a", "b c", "d"}, set("3"), 0},
        {{"nword", ""}, set("1"), 0},
        {{"word", "2", "a", "b", "c"}, set("b"), 0},
        {{"word", "3", "a", "b", "c"}, set("c"), 0},
        {{"word", "4", "a", "b", "c"}, set(""), 0},
        {{"word", "0", "a", "b"}, set("0"), 0},
        {{"word", "-0", "a"}, set("-0"), 0},
        {{"word", "-1", "a", "b"}, set(""), 0},
        {{"word", "-2147483648", "a"}, set(""), 0},
        {{"word", "1"}, set(""), 0},
        {{"word", "1", "b c"}, set("b c"), 0},
        {{"word", "x", "a"}, "Invalid number encountered\n", 12},
        {{"word", "1", std::string(256, 'w')}, "tarvelix: Result longer than 255 characters\n", 12},
    });
}

TEST(Words, Find) {
    check({
        {{"findw", "b", "a", "b", "c"}, set("2"), 0},
        {{"findw", "B", "a", "b", "c"}, set("0"), 0},
        {{"-u", "findw", "B", "a", "b", "c"}, set("2"), 0},
        {{"findw", "a", "b", "a", "a"}, set("2"), 0},
        {{"findw", "ab", "abc"}, set("0"), 0},
        {{"findw", "", "a", "", "b"}, set("2"), 0},
        {{"findw", "", "a", "b"}, set("0"), 0},
        {{"findm", "ab", "xabc", "abx"}, set("2"), 0},
        {{"findm", "abc", "ab"}, set("0"), 0},
        {{"findm", "", "x", "y"}, set("1"), 0},
        {{"-l", "findm", "AB", "xab", "ABX"}, set("2"), 0},
        {{"finds", "lo", "hello"}, set("4"), 4},
        {{"finds", "z", "hello"}, set("0"), 0},
        {{"finds", "", "hello"}, set("1"), 1},
        {{"finds", "", ""}, set("1"), 1},
        {{"finds", "l", "hello"}, set("3"), 3},
        {{"finds", "hello!", "hello"}, set("0"), 0},
        // A match never begins or ends inside a character; a stray byte is one.
        {{"finds", "\xa9", "\xc3\xa9"}, set("0"), 0},
        {{"finds", "\xc3", "\xc3\xa9"}, set("0"), 0},
        {{"finds", "\xa9", "\xc3\xa9\xa9"}, set("2"), 2},
        {{"finds", "\x80", "\xed\xa0\x80"}, set("0"), 0},
        {{"findm", "\xc3", "\xc3\xa9", "\xc3"}, set("2"), 0},
    });
}

TEST(Words, ParseStoresTheRestFirst) {
    const std::string long_word(127, 'w');
    check({
        {{"parse", "rest", "one", "two", "three"}, "set REST=two three\n" + set("one"), 0},
        {{"parse", "-", "one", "two"}, set("one"), 0},
        {{"parse", "rest", "one"}, "set REST=\n" + set("one"), 0},
        {{"parse", "rest"}, "set REST=\n" + set(""), 0},
        {{"parse", "-"}, set(""), 0},
        {{"parse", "_r", "a", "b"}, set("a"), 0},
        {{"parse", "9r", "a", "b"}, set("a"), 0},
        {{"parse", "r", "a", "b c", "d"}, "set R=b c d\n" + set("a"), 0},
        {{"-u", "parse", "r", "a", "b"}, "set R=B\n" + set("A"), 0},
        {{"parse", "r", "a", long_word, long_word},
         "set R=" + long_word + " " + long_word + "\n" + set("a"),
         0},
        {{"parse", "r", "a", long_word, long_word + "w"},
         "tarvelix: Result longer than 255 characters\n",
         12},
        // An over-long first word is refused before the rest variable is stored.
        {{"parse", "r", std::string(256, 'a'), "b"},
         "tarvelix: Result longer than 255 characters\n",
         12},
        // The rest variable's name is never copied: any length is stored.
        {{"parse", std::string(300, 'r'), "a", "b"},
         "set " + std::string(300, 'R') + "=b\n" + set("a"),
         0},
    });
}

TEST(Words, ParseSetsBothVariables) {
    fake_reset();
    RunResult r = run({".x", "parse", "rest", "one", "two"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(fake().env, (std::map<std::string, std::string>{{"REST", "two"}}));

    fake_reset();
    r = run({"x", "-v", "parse", "x", "one", "two"}); // the main variable is stored last
    EXPECT_EQ(r.out, "set X=two\nset X=one\n");
    EXPECT_EQ(fake().env, (std::map<std::string, std::string>{{"X", "one"}}));
}

} // namespace
