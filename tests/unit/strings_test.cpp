// set, ltrim, rtrim, trim, left, right, substr, length and remblank.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/fake_platform.h"

namespace {

const std::string TOO_LONG = "tarvelix: Result longer than 255 characters";
const std::string BAD_NUMBER = "Invalid number encountered";

struct Case {
    std::vector<std::string> args; // after "X -t", or after "X" when they begin with an option
    std::string value;             // the stored value; the message line when code is 12
    int code;
};

void check(const std::vector<Case> &cases) {
    for (const Case &c : cases) {
        fake_reset();
        RunResult r = run_test_mode(c.args);
        std::string label = c.args[0] + " " + c.args.back().substr(0, 20);
        EXPECT_EQ(r.out, c.code == 12 ? c.value + "\n" : "set X=" + c.value + "\n") << label;
        EXPECT_EQ(r.code, c.code) << label;
        EXPECT_TRUE(fake().env.empty()) << label;
    }
}

const std::string LONG = std::string(100, 'a') + std::string(100, 'b') + std::string(100, 'c');

TEST(Strings, SetAndTrims) {
    check({
        {{"set", " a\tb "}, " a\tb ", 0},
        {{"set", ""}, "", 0},
        {{"set", std::string(255, 'x')}, std::string(255, 'x'), 0},
        {{"set", std::string(256, 'x')}, TOO_LONG, 12},
        {{"ltrim", "  a b\t"}, "a b\t", 0},
        {{"rtrim", "  a b\t"}, "  a b", 0},
        {{"trim", "  a b\t"}, "a b", 0},
        {{"ltrim", " \t "}, "", 0},
        {{"rtrim", " \t "}, "", 0},
        {{"trim", ""}, "", 0},
        {{"trim", "x"}, "x", 0},
        {{"trim", "\n a\r "}, "\n a\r", 0}, // only space and tab are blanks
        {{"trim", " " + std::string(255, 'y') + " "}, std::string(255, 'y'), 0},
        {{"ltrim", " " + std::string(255, 'y') + " "}, TOO_LONG, 12},
    });
}

TEST(Strings, CountsNeverReachPastTheText) {
    check({
        {{"left", "3", "abcdef"}, "abc", 0},
        {{"left", "10", "abc"}, "abc", 0},
        {{"left", "0", "abc"}, "", 0},
        {{"left", "-1", "abc"}, "", 0},
        {{"left", "-2147483648", "abc"}, "", 0},
        {{"left", "4294967298", "abc"}, "ab", 0}, // wraps to 2
        {{"left", "255", LONG}, LONG.substr(0, 255), 0},
        {{"left", "256", LONG}, TOO_LONG, 12},
        {{"left", "x", "abc"}, BAD_NUMBER, 12},
        {{"right", "2", "abcdef"}, "ef", 0},
        {{"right", "10", "abc"}, "abc", 0},
        {{"right", "0", "abc"}, "", 0},
        {{"right", "-3", "abc"}, "", 0},
        {{"right", "3", LONG}, "ccc", 0},
        {{"right", "1000", LONG}, TOO_LONG, 12},
        {{"substr", "2", "3", "abcdef"}, "bcd", 0},
        {{"substr", "5", "10", "abcdef"}, "ef", 0},
        {{"substr", "6", "1", "abcdef"}, "f", 0},
        {{"substr", "7", "1", "abcdef"}, "", 0},
        {{"substr", "2", "0", "abcdef"}, "", 0},
        {{"substr", "2", "1000", "abcdef"}, "bcdef", 0},
        {{"substr", "0", "2", "abcdef"}, "", 0},
        {{"substr", "-1", "2", "abcdef"}, "", 0},
        {{"substr", "1", "-1", "abcdef"}, "", 0},
        {{"substr", "2147483647", "2147483647", "abc"}, "", 0},
        {{"substr", "46", "1000", LONG}, LONG.substr(45), 0},
        {{"substr", "45", "1000", LONG}, TOO_LONG, 12},
        {{"substr", "9", "x", "abc"}, BAD_NUMBER, 12}, // both numbers are read first
    });
}

TEST(Strings, LengthAndRemblank) {
    check({
        {{"length", "abc"}, "3", 0},
        {{"length", ""}, "0", 0},
        {{"length", " \t"}, "2", 0},
        {{"length", LONG}, "300", 0},
        {{"remblank", "a b\tc"}, "abc", 0},
        {{"remblank", " \t "}, "", 0},
        {{"remblank", "a\nb"}, "a\nb", 0},
        {{"remblank", std::string(100, ' ') + std::string(255, 'z')}, std::string(255, 'z'), 0},
        {{"remblank", std::string(256, 'z') + " "}, TOO_LONG, 12},
    });
}

TEST(Strings, CountCharactersNotBytes) {
    // Two-, three- and four-byte characters; on POSIX a stray byte is one character.
    const std::string word = "Jos\xc3\xa9 \xe6\x96\x87\xf0\x9f\x98\x80";
    std::string e255;
    for (int i = 0; i < 255; ++i)
        e255 += "\xc3\xa9";
    check({
        {{"length", word}, "7", 0},
        {{"length", "a\xe9z"}, "3", 0},
        {{"left", "4", word}, "Jos\xc3\xa9", 0},
        {{"right", "2", word}, "\xe6\x96\x87\xf0\x9f\x98\x80", 0},
        {{"substr", "4", "3", word}, "\xc3\xa9 \xe6\x96\x87", 0},
        {{"substr", "8", "1", word}, "", 0},
        {{"finds", "\xe6\x96\x87", word}, "6", 6},
        {{"set", e255}, e255, 0},
        {{"set", e255 + "x"}, TOO_LONG, 12},
        {{"remblank", " " + e255 + " "}, e255, 0},
        {{"-u", "set",
          "\xc3\xa9"
          "a"},
         "\xc3\xa9"
         "A",
         0}, // letters of ASCII only
    });
}

TEST(Strings, NothingIsPrintedThatTheCodePageCannotShow) {
    // The fake's output code page lacks U+0436; messages may replace it, a
    // "set" line for a script to run may not.
    const std::string zhe = "\xd0\xb6";
    const std::string refused =
        "tarvelix: Code page 437 cannot show a character of the output; run chcp 65001 first\n";
    const std::vector<std::vector<std::string>> commands = {
        {"X", "-v", "set", "a" + zhe},
        {"X" + zhe, "-t", "add", "1", "2"},
        {"X", "-t", "parse", "rest", "a", zhe},
        {"X", "-t", "chdir", "C:\\" + zhe},
    };
    for (const std::vector<std::string> &command : commands) {
        fake_reset();
        fake().out_cannot_hold = zhe;
        RunResult r = run(command);
        EXPECT_EQ(r.out, refused) << command[2];
        EXPECT_EQ(r.code, 12) << command[2];
        EXPECT_TRUE(fake().env.empty()) << command[2];
        EXPECT_TRUE(fake().drive_changes.empty()) << command[2];
    }
    fake_reset();
    fake().out_cannot_hold = zhe;
    RunResult r = run({".x", "set", zhe}); // nothing to print
    EXPECT_EQ(r.code, 0);
    // A lone surrogate, which no code page holds: chcp 65001 would not help.
    fake().out_cannot_hold = "\xed\xa0\x80";
    r = run({"X", "-v", "set", "a\xed\xa0\x80"});
    EXPECT_EQ(r.out,
              "tarvelix: No code page can show the unpaired surrogate U+D800 of the output\n");
    EXPECT_EQ(r.code, 12);
}

TEST(Strings, CaseFoldingBeforeAndAfter) {
    check({
        {{"-u", "set", "aBc"}, "ABC", 0},
        {{"-l", "left", "2", "ABC"}, "ab", 0},
        {{"-ul", "trim", " aB "}, "AB", 0},
    });
    fake_reset();
    RunResult r = run({"x", "-v", "substr", "2", "2", "abcd"});
    EXPECT_EQ(r.out, "set X=bc\n");
    EXPECT_EQ(fake().env["X"], "bc");
}

} // namespace
