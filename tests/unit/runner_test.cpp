// Command line, result store and the helpers every function relies on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "runner/function_table.h"
#include "support/exits.h"
#include "support/letters.h"
#include "support/numbers.h"
#include "support/print_results.h"
#include "support/results.h"
#include "tests/fake_platform.h"
#include "tests/usage_text.h"

namespace {

class Runner : public ::testing::Test {
  protected:
    void SetUp() override { fake_reset(); }
};

struct CommandCase {
    std::vector<std::string> args;
    std::string out;
    int code;
};

std::vector<std::string> add_with(int operands) {
    std::vector<std::string> args{"X", "-v", "add"};
    args.insert(args.end(), operands, "1");
    return args;
}

TEST_F(Runner, CommandLineIsCheckedInOrder) {
    const std::string usage = usage_text();
    const std::vector<CommandCase> cases = {
        {{"X"}, usage, 11},
        {{"X", "-v"}, usage, 11},
        {{"-v", "X", "add", "1", "2"}, usage, 11},
        {{"X", "-z", "nosuch"}, "tarvelix: Unknown function <nosuch>\n", 12},
        {{"X", "-z", "add", "1", "2"}, usage, 11},
        {{"X", "-", "add", "1", "2"}, usage, 11},
        {{"X", "-U", "add", "1", "2"}, usage, 11},
        {{"X", "ADD", "1", "2"}, "tarvelix: Unknown function <ADD>\n", 12},
        {{"X", ""}, "tarvelix: Unknown function <>\n", 12},
        {{"X", "add", "1"},
         "tarvelix: Function <add> requires a minimum of 2 arguments (num1 num2 ...)\n",
         12},
        {{"X", "update", "a", "b", "c"},
         "tarvelix: Function <update> can have at most 2 arguments (source target)\n",
         12},
        {{"X", "-z", "add", "1"},
         "tarvelix: Function <add> requires a minimum of 2 arguments (num1 num2 ...)\n",
         12},
        {{"X", "-v", "add", "-5", "3"}, "set X=-2\n", 2},
        {{"X", "-ux", "-vq", "add", "1", "2"}, "set X=3\n", 0},
        {add_with(99), "set X=99\n", 0},
        {add_with(100), "tarvelix: Function <add> can have at most 99 arguments (num1 num2 ...)\n",
         12},
        {{"X", "-v", "add", std::string(299, '0') + "5", "1"}, "set X=6\n", 0},
        // No environment variable's name holds "=": refused before anything is printed.
        {{"a=b", "add", "1", "2"}, "Cannot set environment variable A=B\n", 12},
        {{"X", "-t", "parse", "r=s", "a", "b"}, "Cannot set environment variable R=S\n", 12},
    };
    for (const CommandCase &c : cases) {
        fake_reset();
        RunResult r = run(c.args);
        EXPECT_EQ(r.out, c.out) << c.args.size() << " args, first function " << c.args.back();
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(r.code, c.code);
        if (c.code >= 11) {
            EXPECT_TRUE(fake().env.empty());
        }
    }
}

// The function lines of the screen are the table's rows, each name on one line
// only, and nothing else.
TEST_F(Runner, UsageListsEveryRowOnce) {
    const std::string out = run({"X"}).out;
    const std::string head = "Functions and arguments are:\n";
    size_t begin = out.find(head), end = out.find("Note: ");
    ASSERT_LT(begin, end);
    begin += head.size();
    // Appended rather than written "\n" + out.substr(...): g++ 12 at -O3 (Release)
    // warns falsely of an overlapping copy in that operator+ (-Wrestrict), which
    // stops a Release build with TARVELIX_WERROR.
    std::string lines = "\n";
    lines.append(out, begin, end - begin);
    EXPECT_EQ(static_cast<size_t>(std::count(lines.begin(), lines.end(), '\n')),
              FUNCTION_COUNT + 1);
    for (const FunctionEntry &entry : function_table) {
        std::string start = "\n  " + std::string(entry.name);
        start.resize(15, ' ');
        size_t at = lines.find(start);
        ASSERT_NE(at, std::string::npos) << entry.name;
        EXPECT_EQ(lines.find(start, at + 1), std::string::npos) << entry.name << " twice";
        EXPECT_EQ(lines.compare(at + start.size(), strlen(entry.help) + 1,
                                std::string(entry.help) + "\n"),
                  0)
            << entry.name;
    }
}

TEST_F(Runner, OverlongTextsAreRefusedOrBounded) {
    // A name cut to fit would store under another name: it is refused.
    RunResult r = run({std::string(200, 'n'), "-v", "add", "1", "2"});
    EXPECT_EQ(r.out, "tarvelix: Variable name longer than 63 characters\n");
    EXPECT_EQ(r.code, 12);
    EXPECT_TRUE(fake().env.empty());

    r = run({std::string(63, 'n'), "add", "1", "2"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(fake().env[std::string(63, 'N')], "3");

    // A message is written in pieces, however long the name in it.
    const std::string long_name = std::string(300, 'f') + "\xe2\x82\xac";
    r = run({"X", long_name});
    EXPECT_EQ(r.out, "tarvelix: Unknown function <" + long_name + ">\n");
    EXPECT_EQ(r.code, 12);
}

TEST_F(Runner, SetTextResultRefusesWhatDoesNotFit) {
    char result[RESULT_SIZE] = {};
    std::string fits(255, 'a');
    set_text_result(result, fits.c_str(), fits.size());
    EXPECT_EQ(std::string(result), fits);
    std::string too_long(256, 'b');
    try {
        set_text_result(result, too_long.c_str(), too_long.size());
        FAIL() << "no exit";
    } catch (const ExitCalled &exit) {
        EXPECT_EQ(exit.code, 12);
        EXPECT_EQ(fake().out, "tarvelix: Result longer than 255 characters\n");
    }
}

struct NumberCase {
    const char *text;
    int32_t value;
};

TEST_F(Runner, ParseNumberWrapsAt32Bits) {
    const NumberCase cases[] = {
        {"0", 0},
        {"-0", 0},
        {"007", 7},
        {"", 0},
        {"-", 0},
        {"-12", -12},
        {"2147483647", 2147483647},
        {"2147483648", INT32_MIN},
        {"-2147483648", INT32_MIN},
        {"4294967297", 1},
        {"99999999999999999999", 1661992959},
    };
    for (const NumberCase &c : cases)
        EXPECT_EQ(parse_number(c.text), c.value) << c.text;
}

TEST_F(Runner, ParseNumberRejectsAnythingButDigits) {
    for (const char *text : {"+5", " 5", "5 ", "--5", "1e3", "0x10", "5-", "1\t"}) {
        fake_reset();
        try {
            parse_number(text);
            ADD_FAILURE() << "accepted " << text;
        } catch (const ExitCalled &exit) {
            EXPECT_EQ(exit.code, 12);
            EXPECT_EQ(fake().out, "Invalid number encountered\n") << text;
        }
    }
}

TEST_F(Runner, FoldCase) {
    struct {
        const char *text;
        unsigned flags;
        const char *folded;
    } cases[] = {
        {"aBc/1\xe9", UPPER, "ABC/1\xe9"},
        {"aBc/1\xc9", LOWER, "abc/1\xc9"},
        {"aBc", UPPER | LOWER, "ABC"},
        {"aBc", VERBOSE | TEST | QUIET, "aBc"},
    };
    for (const auto &c : cases) {
        std::string text = c.text;
        fold_case(text.data(), c.flags);
        EXPECT_EQ(text, c.folded);
    }
}

struct StoreCase {
    const char *name;
    const char *value;
    unsigned flags;
    std::string out;
    std::map<std::string, std::string> env;
};

TEST_F(Runner, StoreResult) {
    const StoreCase cases[] = {
        {"abc", "v", 0, "", {{"ABC", "v"}}},
        {"abc", "v", VERBOSE, "set ABC=v\n", {{"ABC", "v"}}},
        {"abc", "v", TEST, "set ABC=v\n", {}},
        {"abc", "v", VERBOSE | TEST, "set ABC=v\n", {}},
        {"abc", "", VERBOSE, "set ABC=\n", {{"ABC", ""}}},
        {".X", "v", VERBOSE, "", {}},
        {"_null_", "v", VERBOSE, "", {}},
        {"", "v", VERBOSE, "", {}},
        {"x", "a/b", UPPER | VERBOSE, "set X=A/B\n", {{"X", "A/B"}}},
        {"x", "ABC", LOWER, "", {{"X", "abc"}}},
    };
    for (const StoreCase &c : cases) {
        fake_reset();
        std::string name = c.name, value = c.value;
        results_start(Delivery::PRINTED);
        store_result(name.data(), value.data(), c.flags);
        print_lines(c.flags);
        if (!(c.flags & TEST))
            set_variables();
        EXPECT_EQ(fake().out, c.out) << c.name;
        EXPECT_EQ(fake().env, c.env) << c.name;
    }
}

TEST_F(Runner, RefusedEnvironmentUpdateIsFatal) {
    fake().env_refuses = true;
    RunResult r = run({"x", "-v", "add", "2", "3"});
    EXPECT_EQ(r.out, "set X=5\nCannot set environment variable X=5\n");
    EXPECT_EQ(r.code, 12);
}

TEST_F(Runner, LostStandardOutputIsFatal) {
    fake().out_fails = true;
    RunResult r = run({"x", "-v", "add", "2", "3"});
    EXPECT_EQ(r.err, "tarvelix: Cannot write to standard output\n");
    EXPECT_EQ(r.code, 12);
}

} // namespace
