// Splitting the Windows command line into arguments.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/command_line.h"

namespace {

std::vector<std::string> split(std::string line) {
    char *argv[16];
    int count = split_command_line(line.data(), argv, 16);
    return std::vector<std::string>(argv, argv + count);
}

TEST(CommandLine, RuntimeRulesAndTheTrailingBackslash) {
    struct Case {
        std::string line;
        std::vector<std::string> args;
    };
    const std::vector<Case> cases = {
        {"  p  a\tb  ", {"p", "a", "b"}},
        {"\"C:\\my apps\\t.exe\" \"\" \"\"", {"C:\\my apps\\t.exe", "", ""}},
        {"p\\\"x y", {"p\\x y"}}, // the program's path knows no escapes
        {"p a\\\\\\\"b\\\" a\\b\\\\c\\", {"p", "a\\\"b\"", "a\\b\\\\c\\"}},
        {"p \"a\\\\\" X\\\"Y\\\"", {"p", "a\\", "X\"Y\""}},
        {"p \"say \\\"hi\\\"\" \"a\"\"b\"", {"p", "say \"hi\"", "a\"b"}},
        // A quoted directory keeps its trailing backslash before a blank or the end.
        {"p \"Q:\\dir\\\"", {"p", "Q:\\dir\\"}},
        {"p \"C:\\my dir\\\" b.txt", {"p", "C:\\my dir\\", "b.txt"}},
        {"p \"\\\"\"", {"p", "\""}},
        {"p \"a\\\" b\"", {"p", "a\\", "b"}},
        {"p word 1 \"a\\\\\\\" b\"", {"p", "word", "1", "a\\\\", "b"}},
        {"p \"say \\\"hi\\\" there\"", {"p", "say \"hi\\", "there"}},
        {"p a\\\" b", {"p", "a\"", "b"}}, // outside quotes the escape stays
        {"p *.txt", {"p", "*.txt"}},
        {" \t ", {}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(split(c.line), c.args) << c.line;
}

TEST(CommandLine, CountsEveryArgumentButStoresOnlyWhatFits) {
    std::string line = "p a b";
    char *argv[3] = {nullptr, nullptr, nullptr};
    EXPECT_EQ(split_command_line(line.data(), argv, 2), 3);
    EXPECT_STREQ(argv[0], "p");
    EXPECT_STREQ(argv[1], "a");
    EXPECT_EQ(argv[2], nullptr);
    std::string program = "p";
    EXPECT_EQ(split_command_line(program.data(), nullptr, 0), 1);
}

} // namespace
