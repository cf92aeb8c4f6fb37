// Handing results over to tvset.cmd: the files written and the line of
// commands that takes them.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "support/handover.h"
#include "tests/fake_platform.h"

namespace {

// The fake's randomness counts 0, 1, 2...: the folder of the values, when
// there is one, takes 0, the file of commands the next number.
const std::string ID1 = std::to_string(FIRST_HANDOVER_ID + 1);

struct HandoverCase {
    std::vector<std::string> args; // after "-tvset"
    std::map<std::string, std::string> env;
    std::string line;                          // in /t/<number>.tvs; empty: none written
    std::map<std::string, std::string> values; // value files, by path
    std::string err;
    int code; // with a line: the number of the file of commands less FIRST_HANDOVER_ID
};

TEST(Handover, WritesValuesAndOneLineOfCommands) {
    const std::string folder = "/t/tvset-0";
    const std::string remove = "rd /s /q \"" + folder + "\" & ";
    const std::string long_folder = "/" + std::string(250, 'L');
    const std::vector<HandoverCase> cases = {
        // A plain value stands in the line itself; an empty one removes the variable.
        {{"x", "sub", "1", "5"}, {}, "set \"X=-4\" & exit /b 2", {}, "", 0},
        {{"x", "set", " a & (b) <c> | d=e "},
         {},
         "set \"X= a & (b) <c> | d=e \" & exit /b 0",
         {},
         "",
         0},
        {{"x", "set", ""}, {}, "set \"X=\" & exit /b 0", {}, "", 0},
        {{".x", "setexit", "7"}, {}, "exit /b 7", {}, "", 0},
        // Any other value is taken from a file of its own by set /p: parse's
        // rest variable first. ask's line end is not part of the value.
        {{"x", "parse", "rest", "a!", "b%c"},
         {},
         "set \"REST=\" & set /p \"REST=\" <\"" + folder + "/1\" & set \"X=\" & set /p \"X=\" <\"" +
             folder + "/2\" & " + remove + "exit /b 0",
         {{folder + "/1", "b%c\n"}, {folder + "/2", "a!\n"}},
         "",
         1},
        {{"x", "ask"},
         {{"INPUT", "a\"b\r\n"}},
         "set \"X=\" & set /p \"X=\" <\"" + folder + "/1\" & " + remove + "exit /b 0",
         {{folder + "/1", "a\"b\n"}},
         "",
         1},
        {{"x", "set", std::string(201, 'v')},
         {},
         "set \"X=\" & set /p \"X=\" <\"" + folder + "/1\" & " + remove + "exit /b 0",
         {{folder + "/1", std::string(201, 'v') + "\n"}},
         "",
         1},
        // A "!" in a directory keeps a caret before it, and before each "^",
        // in a caller with delayed expansion on.
        {{"x", "chdir", "D:a!b^c"},
         {{"_tvdelayed", "1"}},
         "set \"X=C:\" & cd /d D: & cd \"a^!b^^c\" & exit /b 0",
         {},
         "",
         0},
        {{"x", "chdir", "a^c"},
         {{"_tvdelayed", "1"}},
         "set \"X=C:\" & cd \"a^c\" & exit /b 0",
         {},
         "",
         0},
        // A folder the line cannot carry gives way to the next place.
        {{"x", "set", "v%"},
         {{"_tvtemp", "/t!"}, {"TMP", "/u"}},
         "set \"X=\" & set /p \"X=\" <\"/u/tvset-0/1\" & rd /s /q \"/u/tvset-0\" & exit /b 0",
         {{"/u/tvset-0/1", "v%\n"}},
         "",
         1},
        // A folder too long for cmd.exe is used in its short form, and the
        // file of commands is removed by its short path too.
        {{"x", "set", "v%"},
         {{"_tvtemp", long_folder}},
         "set \"X=\" & set /p \"X=\" <\"/S/tvset-0/1\" & rd /s /q \"/S/tvset-0\" & del \"/S/" +
             ID1 + ".tvs\" 2>nul & exit /b 0",
         {{"/S/tvset-0/1", "v%\n"}},
         "",
         1},
        {{"x", "set", "v"},
         {{"_tvtemp", ""}},
         "",
         {},
         "tvset: cannot make a temporary folder in \"\"\n",
         12},
        {{"x", "set", "v"},
         {{"_tvtemp", "/none"}},
         "",
         {},
         "tvset: cannot make a temporary folder in \"/none\"\n",
         12},
        // Names a batch file cannot take, fatal errors and the usage screen
        // end the run at once, with their message on standard error.
        {{"a!b", "set", "v"}, {}, "", {}, "Cannot set environment variable A!B\n", 12},
        {{"x", "parse", "r%s", "a"}, {}, "", {}, "Cannot set environment variable R%S\n", 12},
        {{"a=b", "set", "v"}, {}, "", {}, "Cannot set environment variable A=B\n", 12},
        {{"x", "add", "1", "y"}, {}, "", {}, "Invalid number encountered\n", 12},
        {{"x", "set", "\xc3\xa9"},
         {},
         "",
         {},
         "tarvelix: Code page 850 cannot show a character of the output; run chcp 65001 first\n",
         12},
    };
    for (const HandoverCase &c : cases) {
        fake_reset();
        fake().env = {{"_tvtemp", "/t"}};
        for (const auto &[name, value] : c.env) {
            if (name == "INPUT")
                fake().input = value;
            else
                fake().env[name] = value;
        }
        fake().dirs = {"/t", "/u", "/S", long_folder};
        fake().unwritable = {"/none"};
        fake().short_paths[long_folder] = "/S";
        fake().out_cannot_hold = "\xc3\xa9";
        std::vector<std::string> args{"-tvset"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        RunResult r = run(args);
        std::string label = c.args[0] + " " + c.args[1];
        EXPECT_EQ(r.out, "") << label;
        EXPECT_EQ(r.err, c.err) << label;
        std::map<std::string, std::string> files = fake().files;
        if (c.line.empty()) {
            EXPECT_EQ(r.code, c.code) << label;
        } else {
            EXPECT_EQ(r.code, FIRST_HANDOVER_ID + c.code) << label;
            std::string go = (c.env.count("_tvtemp") ? c.env.at("_tvtemp") : "/t") + "/" +
                             std::to_string(r.code) + ".tvs";
            EXPECT_EQ(files[go], c.line + "\n") << label;
            files.erase(go);
        }
        EXPECT_EQ(files, c.values) << label;
    }
}

TEST(Handover, NamesThatOthersHoldAreNotTaken) {
    fake_reset();
    fake().env = {{"_tvtemp", "/t"}};
    fake().dirs = {"/t", "/t/tvset-7"};
    fake().files["/t/" + std::to_string(FIRST_HANDOVER_ID + 8) + ".tvs"] = "another run's";
    fake().randoms = {7, 8, 8, 9};
    RunResult r = run({"-tvset", "x", "set", "v!"});
    EXPECT_EQ(r.code, FIRST_HANDOVER_ID + 9);
    EXPECT_EQ(fake().files["/t/tvset-8/1"], "v!\n");
}

} // namespace
