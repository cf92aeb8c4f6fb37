// The built program: exact standard output, standard error and exit code.
#include <gtest/gtest.h>

#include <cstdlib>
#include <dirent.h>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "tests/blackbox/program.h"
#include "tests/usage_text.h"

namespace {

struct Case {
    std::vector<std::string> args;
    std::string out, err;
    int code;
};

void check(const std::vector<Case> &cases) {
    for (const Case &c : cases) {
        ProgramRun r = run_program(c.args);
        std::string label = c.args.empty() ? "" : c.args.back().substr(0, 40);
        EXPECT_EQ(r.out, c.out) << label;
        EXPECT_EQ(r.err, c.err) << label;
        EXPECT_EQ(r.code, c.code) << label;
    }
}

std::vector<std::string> many(std::vector<std::string> head, int count, const std::string &word) {
    head.insert(head.end(), count, word);
    return head;
}

const std::string ZERO = "tarvelix: Divide by zero\n";

TEST(Program, CommandLine) {
    check({
        {{}, usage_text(), "", 11},
        {{"X"}, usage_text(), "", 11},
        {{"X", "-v"}, usage_text(), "", 11},
        {{"-v", "X", "add", "1", "2"}, usage_text(), "", 11},
        {{"X", "-z", "add", "1", "2"}, usage_text(), "", 11},
        {{"X", "-z", "nosuch"}, "tarvelix: Unknown function <nosuch>\n", "", 12},
        {{"X", ""}, "tarvelix: Unknown function <>\n", "", 12},
        {{"X", "add", "1"},
         "tarvelix: Function <add> requires a minimum of 2 arguments (num1 num2 ...)\n",
         "",
         12},
        {{"X", "update", "a", "b", "c"},
         "tarvelix: Function <update> can have at most 2 arguments (source target)\n",
         "",
         12},
        {many({"X", "add"}, 100, "1"),
         "tarvelix: Function <add> can have at most 99 arguments (num1 num2 ...)\n", "", 12},
        {many({"X", "-t", "add"}, 99, "-1"), "set X=-99\n", "", 2},
        {{std::string(200, 'v'), "-v", "add", "1", "2"},
         "tarvelix: Variable name longer than 63 characters\n",
         "",
         12},
        {{"X", "-v", "add", std::string(300, '9'), "0"}, "set X=-1\n", "", 2},
        {{"X", std::string(300, 'f')},
         "tarvelix: Unknown function <" + std::string(300, 'f') + ">\n",
         "",
         12},
    });
}

TEST(Program, Arithmetic) {
    check({
        {{"sum", "-v", "add", "2", "3"}, "set SUM=5\n", "", 0},
        {{"x", "add", "2", "3"}, "", "", 0},
        {{"x", "-t", "sub", "2", "5"}, "set X=-3\n", "", 2},
        {{"x", "-t", "sub", "3", "3"}, "set X=0\n", "", 1},
        {{"x", "-t", "div", "10", "0", "0"}, "set X=999999\n", ZERO + ZERO, 9},
        {{"x", "-t", "-q", "div", "10", "0"}, "set X=999999\n", "", 9},
        {{"x", "-t", "div", "10", "0", "x"}, "Invalid number encountered\n", ZERO, 12},
        {{"x", "-t", "mult", "65536", "65536"}, "set X=0\n", "", 0},
        {{"x", "-v", "add", "4294967296", "5"}, "set X=5\n", "", 0},
        {{"x", "-v", "add", "1", "+5"}, "Invalid number encountered\n", "", 12},
        {{".x", "-v", "add", "1", "2"}, "", "", 0},
        {{"_Null_", "-v", "add", "1", "2"}, "", "", 0},
    });
}

TEST(Program, FailedWriteToStandardOutputIsFatal) {
    // A full disk, and a pipe whose reader has gone (not a silent death by SIGPIPE).
    for (const ProgramOptions &sink :
         {ProgramOptions{.stdout_path = "/dev/full"}, ProgramOptions{.stdout_reader_gone = true}}) {
        ProgramRun r = run_program({"x", "-v", "add", "2", "3"}, sink);
        EXPECT_EQ(r.err, "tarvelix: Cannot write to standard output\n") << sink.stdout_path;
        EXPECT_EQ(r.code, 12) << sink.stdout_path;
        // Nothing printed: nothing lost, whatever the exit code says.
        r = run_program({"x", "add", "2", "3"}, sink);
        EXPECT_EQ(r.err, "") << sink.stdout_path;
        EXPECT_EQ(r.code, 0) << sink.stdout_path;
    }
}

// Under -tvset the value and the line of commands that takes it are files, in
// the folder that TMP names, made by the system's own calls; the folder of
// the value is its owner's alone.
TEST(Program, HandsTheValueOverInFiles) {
    TempDir dir;
    setenv("TMP", dir.path().c_str(), 1);
    ProgramRun r = run_program({"-tvset", "x", "set", "100% \"sure\""});
    unsetenv("TMP");
    EXPECT_EQ(r.out + r.err, "");
    std::string line;
    DIR *listing = opendir(dir.path().c_str());
    ASSERT_NE(listing, nullptr);
    while (dirent *entry = readdir(listing)) {
        std::string name = entry->d_name;
        if (name.size() > 4 && name.substr(name.size() - 4) == ".tvs")
            line = read_file(dir.path() + "/" + name);
    }
    closedir(listing);
    ASSERT_EQ(line.rfind("set \"X=\" & set /p \"X=\" <\"", 0), 0u) << line;
    size_t start = line.find("<\"") + 2;
    std::string value_file = line.substr(start, line.find('"', start) - start);
    EXPECT_EQ(value_file.rfind(dir.path() + "/tvset-", 0), 0u) << value_file;
    struct stat folder;
    ASSERT_EQ(stat(value_file.substr(0, value_file.rfind('/')).c_str(), &folder), 0);
    EXPECT_EQ(folder.st_mode & 0777, 0700u);
    EXPECT_EQ(read_file(value_file), "100% \"sure\"\n");
    EXPECT_EQ(line.substr(line.size() - 11), " exit /b 0\n");
}

// A value file that cannot be written whole (a file size limit of 512 bytes
// for a value of 1,017) is removed, and so is its folder: nothing is left.
TEST(Program, AHandOverThatFailsLeavesNothing) {
#ifdef TARVELIX_COVERAGE_BUILD
    // The limit would also cut the coverage counters that the program writes
    // when it exits, and spoil those of every later run.
    GTEST_SKIP() << "a file size limit cuts the coverage counters";
#endif
    TempDir dir;
    setenv("TMP", dir.path().c_str(), 1);
    std::string value = "%";
    for (int i = 0; i < 254; ++i)
        value += "\xf0\x9f\x98\x80";
    ProgramRun r =
        run_program({"-c", "unset TEMP USERPROFILE; ulimit -f 1; trap '' XFSZ; exec \"$@\"", "sh",
                     TARVELIX_PROGRAM, "-tvset", "x", "set", value},
                    {.program = "/bin/sh"});
    unsetenv("TMP");
    EXPECT_EQ(r.err, "tvset: cannot make a temporary folder in \"" + dir.path() + "\"\n");
    EXPECT_EQ(r.code, 12);
    DIR *listing = opendir(dir.path().c_str());
    ASSERT_NE(listing, nullptr);
    std::vector<std::string> left;
    while (dirent *entry = readdir(listing)) {
        if (std::string(entry->d_name) != "." && std::string(entry->d_name) != "..")
            left.emplace_back(entry->d_name);
    }
    closedir(listing);
    EXPECT_TRUE(left.empty()) << left[0];
}

} // namespace
