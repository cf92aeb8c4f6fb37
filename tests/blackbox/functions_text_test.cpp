// The built program on the string, word-list and file-name functions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/blackbox/program.h"

namespace {

struct Case {
    std::vector<std::string> args;
    std::string out;
    int code;
};

void check(const std::vector<Case> &cases) {
    for (const Case &c : cases) {
        ProgramRun r = run_program(c.args);
        std::string label = c.args[2] + " " + c.args.back().substr(0, 30);
        EXPECT_EQ(r.out, c.out) << label;
        EXPECT_EQ(r.err, "") << label;
        EXPECT_EQ(r.code, c.code) << label;
    }
}

TEST(Program, StringFunctions) {
    check({
        {{"x", "-t", "set", "a b"}, "set X=a b\n", 0},
        {{"x", "-t", "ltrim", " \ta\t"}, "set X=a\t\n", 0},
        {{"x", "-t", "rtrim", " \ta\t"}, "set X= \ta\n", 0},
        {{"x", "-t", "trim", " \ta\t"}, "set X=a\n", 0},
        {{"x", "-t", "left", "3", "abcdef"}, "set X=abc\n", 0},
        {{"x", "-t", "right", "-2", "abcdef"}, "set X=\n", 0},
        {{"x", "-t", "substr", "2", "1000", "abcdef"}, "set X=bcdef\n", 0},
        {{"x", "-t", "length", ""}, "set X=0\n", 0},
        {{"x", "-t", "remblank", "a b\tc"}, "set X=abc\n", 0},
        {{"x", "-t", "-u", "left", "2", "abc"}, "set X=AB\n", 0},
        {{"x", "-t", "-l", "set", "AbC"}, "set X=abc\n", 0},
        {{"x", "-t", "left", "x", "abc"}, "Invalid number encountered\n", 12},
        {{"x", "-v", "set", std::string(256, 's')},
         "tarvelix: Result longer than 255 characters\n",
         12},
    });
}

TEST(Program, WordListFunctions) {
    check({
        {{"x", "-t", "nword", "a", "b c", "d"}, "set X=3\n", 0},
        {{"x", "-t", "word", "2", "a", "b c"}, "set X=b c\n", 0},
        {{"x", "-t", "findw", "B", "a", "b"}, "set X=0\n", 0},
        {{"x", "-t", "-u", "findw", "B", "a", "b"}, "set X=2\n", 0},
        {{"x", "-t", "findm", "ab", "xabc", "abx"}, "set X=2\n", 0},
        {{"x", "-t", "finds", "lo", "hello"}, "set X=4\n", 4},
        {{"x", "-t", "finds", "z", "hello"}, "set X=0\n", 0},
        {{"x", "-t", "parse", "rest", "one", "two", "three"}, "set REST=two three\nset X=one\n", 0},
        {{"x", "-v", "-l", "parse", "REST", "ONE"}, "set REST=\nset X=one\n", 0},
        {{"x", "-t", "parse", "-", "one", "two"}, "set X=one\n", 0},
    });
}

TEST(Program, FileNameFunctions) {
    const std::string filespec = R"(C:\a\b.c\d.txt)";
    check({
        {{"x", "-t", "filedrive", filespec}, "set X=C:\n", 0},
        {{"x", "-t", "filedrv", "a:b:c.d"}, "set X=a:b:\n", 0},
        {{"x", "-t", "filedir", filespec}, "set X=\\a\\b.c\\\n", 0},
        {{"x", "-t", "fileddir", filespec}, "set X=C:\\a\\b.c\\\n", 0},
        {{"x", "-t", "-u", "filename", filespec}, "set X=D\n", 0},
        {{"x", "-t", "fileext", filespec}, "set X=txt\n", 0},
        {{"x", "-t", "fileext", ".profile"}, "set X=\n", 0},
        {{"x", "-t", "endslash", R"(C:\dir\)"}, "set X=1\n", 1},
        {{"x", "-t", "endslash", R"(C:\dir)"}, "set X=0\n", 0},
        {{"x", "-t", "endslash", "My", R"(Documents\)"}, "set X=1\n", 1},
        {{"x", "-t", "endslash", ""}, "set X=0\n", 0},
    });
}

} // namespace
