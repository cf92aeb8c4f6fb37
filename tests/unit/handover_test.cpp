// Handing results over to tvset.cmd: the line of commands made from what a run
// recorded, the files in the first usable folder, and the line's grammar
// under any input.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "support/handover.h"
#include "support/letters.h"
#include "support/results.h"
#include "support/tvset_line.h"
#include "tests/batch_model.h"
#include "tests/fake_platform.h"

namespace {

const std::string E_ACUTE = "\xc3\xa9";

struct LineCase {
    std::vector<std::pair<std::string, std::string>> values; // upper-case name, value
    const char *target;                                      // chdir's; nullptr: no change
    bool delayed;
    const char *folder;
    LineProblem problem;
    std::string line; // without its line end
    std::vector<std::string> files;
    bool reply = false; // the last value is ask's reply
    bool assign = true; // false: -t
};

TEST(TvsetLine, ComposedFromWhatTheRunRecorded) {
    const char *f = "/t/v";
    const std::string set_c = "set \"X=C:\" & ";
    const std::string rd = "rd /s /q \"/t/v\" & ";
    const std::vector<LineCase> cases = {
        // A value cmd does not act on stands in the line; an empty one removes the variable.
        {{{"X", "-4"}}, nullptr, false, nullptr, LineProblem::NONE, "set \"X=-4\" & exit /b 7", {}},
        {{{"X", " a & (b) <c> | d=e "}},
         nullptr,
         true,
         nullptr,
         LineProblem::NONE,
         "set \"X= a & (b) <c> | d=e \" & exit /b 7",
         {}},
        {{{"X", ""}}, nullptr, false, nullptr, LineProblem::NONE, "set \"X=\" & exit /b 7", {}},
        // "!" and "^" only with delayed expansion on; "\"" and "%" always; and
        // more than 200 bytes: a file, read in order.
        {{{"X", "a!b^c"}}, nullptr, false, f, LineProblem::NONE, "set \"X=a!b^c\" & exit /b 7", {}},
        {{{"X", "a!b^c"}},
         nullptr,
         true,
         f,
         LineProblem::NONE,
         "set \"X=\" & set /p \"X=\" <\"/t/v/1\" & " + rd + "exit /b 7",
         {"a!b^c"}},
        {{{"REST", "b%c"}, {"X", "a\"b"}},
         nullptr,
         false,
         f,
         LineProblem::NONE,
         "set \"REST=\" & set /p \"REST=\" <\"/t/v/1\" & set \"X=\" & set /p \"X=\" <\"/t/v/2\" "
         "& " +
             rd + "exit /b 7",
         {"b%c", "a\"b"}},
        {{{"X", std::string(200, 'v')}},
         nullptr,
         false,
         f,
         LineProblem::NONE,
         "set \"X=" + std::string(200, 'v') + "\" & exit /b 7",
         {}},
        {{{"X", std::string(201, 'v')}},
         nullptr,
         false,
         f,
         LineProblem::NONE,
         "set \"X=\" & set /p \"X=\" <\"/t/v/1\" & " + rd + "exit /b 7",
         {std::string(201, 'v')}},
        // ask's line end is no part of the value; any other line feed is refused.
        {{{"X", "y\n"}},
         nullptr,
         false,
         nullptr,
         LineProblem::NONE,
         "set \"X=y\" & exit /b 7",
         {},
         true},
        {{{"X", "a\"b\n"}},
         nullptr,
         false,
         f,
         LineProblem::NONE,
         "set \"X=\" & set /p \"X=\" <\"/t/v/1\" & " + rd + "exit /b 7",
         {"a\"b"},
         true},
        {{{"X", "a\nb\n"}}, nullptr, false, f, LineProblem::VALUE_LINE_END, "", {}, true},
        {{{"X", "a\n"}}, nullptr, false, f, LineProblem::VALUE_LINE_END, "", {}},
        {{{"X", "a\r"}}, nullptr, false, f, LineProblem::VALUE_LINE_END, "", {}},
        // chdir's change is one command: a target that fails changes nothing.
        {{{"X", "C:"}},
         "D:\\data",
         false,
         nullptr,
         LineProblem::NONE,
         set_c + "cd /d \"D:\\data\" & exit /b 7",
         {}},
        {{{"X", "C:"}},
         "C:",
         false,
         nullptr,
         LineProblem::NONE,
         set_c + "cd /d \"C:\" & exit /b 7",
         {}},
        {{{"X", "C:"}}, "", false, nullptr, LineProblem::NONE, set_c + "exit /b 7", {}},
        {{{"X", "C:"}},
         "a!b",
         false,
         nullptr,
         LineProblem::NONE,
         set_c + "cd /d \"a!b\" & exit /b 7",
         {}},
        {{{"X", "C:"}},
         "a!b",
         true,
         f,
         LineProblem::NONE,
         set_c +
             "set \"_tvdir=\" & set /p \"_tvdir=\" <\"/t/v/1\" & cd /d \"!_tvdir!\" & set "
             "\"_tvdir=\" & " +
             rd + "exit /b 7",
         {"a!b"}},
        {{{"X", "C:"}}, "100%", false, f, LineProblem::DIR_UNSAFE, "", {}},
        {{{"X", "C:"}}, "x\"y", false, f, LineProblem::DIR_UNSAFE, "", {}},
        {{{"X", "C:"}}, "a\nb", true, f, LineProblem::DIR_LINE_END, "", {}},
        // -t: nothing is assigned or changed.
        {{{"X", "a\"b"}},
         "D:\\x",
         false,
         nullptr,
         LineProblem::NONE,
         "exit /b 7",
         {},
         false,
         false},
        // The folder must be chosen, and cmd must not act on its path.
        {{{"X", "a\"b"}}, nullptr, false, nullptr, LineProblem::FOLDER_NEEDED, "", {}},
        {{{"X", "a\"b"}}, nullptr, false, "/t/1%", LineProblem::FOLDER_UNSAFE, "", {}},
        {{{"X", "a\"b"}}, nullptr, true, "/t/a!", LineProblem::FOLDER_UNSAFE, "", {}},
        {{{"A!B", "v"}}, nullptr, true, nullptr, LineProblem::NAME_UNSAFE, "", {}},
        // At most 1,000 bytes in the batch code page (the fake's has one byte
        // a character), line end included; and never past the line's buffer.
        {{{repeat(E_ACUTE, 979), "v"}},
         nullptr,
         false,
         nullptr,
         LineProblem::NONE,
         "set \"" + repeat(E_ACUTE, 979) + "=v\" & exit /b 7",
         {}},
        {{{repeat(E_ACUTE, 980), "v"}}, nullptr, false, nullptr, LineProblem::TOO_LONG, "", {}},
        {{{repeat(FOUR_BYTES, 1000), "v"}}, nullptr, false, nullptr, LineProblem::TOO_LONG, "", {}},
    };
    for (const LineCase &c : cases) {
        fake_reset();
        results_start(Delivery::HANDED_OVER);
        std::vector<std::string> names, values;
        names.reserve(c.values.size());
        values.reserve(c.values.size());
        for (size_t i = 0; i < c.values.size(); ++i) {
            names.push_back(c.values[i].first);
            values.push_back(c.values[i].second);
            store_result(names.back().data(), values.back().data(), 0,
                         c.reply && i + 1 == c.values.size());
        }
        if (c.target != nullptr)
            record_directory_change(c.target, c.target[0] != '\0' && c.target[1] == ':');
        static TvsetLine line;
        LineRequest request{&run_results(), c.assign, c.delayed, c.folder, 7};
        std::string label = c.values[0].first.substr(0, 20) + " " +
                            c.values[0].second.substr(0, 20) + " " +
                            (c.target != nullptr ? c.target : "") + (c.delayed ? " delayed" : "");
        ASSERT_EQ(compose_tvset_line(request, &line), c.problem) << label;
        if (c.problem != LineProblem::NONE)
            continue;
        EXPECT_EQ(std::string(line.text, line.length), c.line + "\n") << label;
        std::vector<std::string> files;
        for (int i = 0; i < line.file_count; ++i)
            files.emplace_back(line.files[i].text, line.files[i].length);
        EXPECT_EQ(files, c.files) << label;
    }
}

// The fake's folders: /t, /u and /q exist, /none cannot be written, and the
// 230-character folder /L... has the short form /S.
const std::string LONG_FOLDER = "/" + std::string(229, 'L');

void prepare(const std::map<std::string, std::string> &env) {
    fake_reset();
    fake().env = env;
    fake().dirs = {"/t", "/u", "/q", "/S", LONG_FOLDER, "/" + std::string(245, 'L')};
    fake().unwritable = {"/none"};
    fake().short_paths[LONG_FOLDER] = "/S";
    fake().out_cannot_hold = E_ACUTE;
}

// The file of commands that a run's exit code names, in the folder that the
// code's variable names; its line, or the empty text when there is none.
std::string command_file(int code, const std::string &folder) {
    std::string separator = folder.back() == '/' ? "" : "/";
    auto found = fake().files.find(folder + separator + std::to_string(code) + ".tvs");
    return found == fake().files.end() ? "" : found->second;
}

struct HandoverCase {
    std::vector<std::string> args; // after "-tvset"
    std::map<std::string, std::string> env;
    std::string out, err;
    int code;                                  // with a folder: the variable's number, from 0 (TMP)
    std::string folder;                        // of the file of commands; empty: none written
    std::string line;                          // in it, without its line end
    std::map<std::string, std::string> values; // every other file left, by path
    std::vector<std::string> unwritable = {};
};

TEST(Handover, WritesTheFilesInTheFirstUsableFolder) {
    const std::map<std::string, std::string> tmp{{"TMP", "/t"}};
    const std::string r63(63, 'r'), x63(63, 'x');
    const std::string R63(63, 'R'), X63(63, 'X');
    const std::vector<HandoverCase> cases = {
        // TMP, TEMP, USERPROFILE: the first that serves; quotes around it go.
        // (tvset.bat runs the other cases through tvset.cmd.)
        {{"x", "sub", "1", "5"}, tmp, "", "", 0, "/t", "set \"X=-4\" & exit /b 2", {}},
        // cmd.exe opens no file of commands whose path is over 259 characters.
        {{"x", "set", "v"},
         {{"TMP", "/" + std::string(246, 'L')}, {"TEMP", "/u"}},
         "",
         "",
         1,
         "/u",
         "set \"X=v\" & exit /b 0",
         {}},
        {{"x", "set", "v"},
         {{"TMP", "/" + std::string(245, 'L')}},
         "",
         "",
         0,
         "/" + std::string(245, 'L'),
         "set \"X=v\" & exit /b 0",
         {}},
        {{"x", "set", "v"},
         {{"USERPROFILE", "\"/q\""}},
         "",
         "",
         2,
         "/q",
         "set \"X=v\" & exit /b 0",
         {}},
        {{"x", "set", "v%"},
         {{"TMP", "/none"}, {"TEMP", "/u"}},
         "",
         "",
         1,
         "/u",
         "set \"X=\" & set /p \"X=\" <\"/u/tvset-1/1\" & rd /s /q \"/u/tvset-1\" & exit /b 0",
         {{"/u/tvset-1/1", "v%\n"}}},
        {{"x", "set", "v"},
         {},
         "",
         "tvset: none of TMP, TEMP and USERPROFILE names a folder for "
         "its files\n",
         12,
         "",
         "",
         {}},
        // A line too long with the folder's full path takes its short form.
        {{x63, "parse", r63, "a%", "b%"},
         {{"TMP", LONG_FOLDER}},
         "",
         "",
         0,
         LONG_FOLDER,
         "set \"" + R63 + "=\" & set /p \"" + R63 + "=\" <\"/S/tvset-1/1\" & set \"" + X63 +
             "=\" & set /p \"" + X63 +
             "=\" <\"/S/tvset-1/2\" & rd /s /q \"/S/tvset-1\" & exit /b 0",
         {{"/S/tvset-1/1", "b%\n"}, {"/S/tvset-1/2", "a%\n"}}},
        // Every failure after the first file leaves nothing behind.
        {{"x", "parse", "r", "a%", "b%"},
         tmp,
         "",
         "tvset: cannot make a temporary folder in \"/t\"\n",
         12,
         "",
         "",
         {},
         {"/t/tvset-0/2"}},
        {{"x", "set", "v%"},
         tmp,
         "",
         "tvset: cannot make a temporary folder in \"/t\"\n",
         12,
         "",
         "",
         {},
         {"/t/1"}},
        {{"x", "parse", std::string(900, 'r'), "a%", "b%"},
         tmp,
         "",
         "tvset: the names and the directory are too long for one line of commands\n",
         12,
         "",
         "",
         {}},
        // The line's buffer holds the longest name that fits (sanitize stage).
        {{"x", "parse", std::string(960, 'r'), "a", "b"},
         tmp,
         "",
         "",
         0,
         "/t",
         "set \"" + std::string(960, 'R') + "=b\" & set \"X=a\" & exit /b 0",
         {}},
        {{"x", "parse", std::string(975, 'r'), "a", "b"},
         tmp,
         "",
         "tvset: the names and the directory are too long for one line of commands\n",
         12,
         "",
         "",
         {}},
        // A folder that tvset.cmd cannot use in its own lines, a device path,
        // a folder that cannot be written: each is passed over.
        {{"x", "set", "v%"},
         {{"TMP", "/t!"}, {"TEMP", "\\\\.\\M:\\t2"}, {"USERPROFILE", "/none"}},
         "",
         "tvset: cannot make a temporary folder in \"/none\"\n",
         12,
         "",
         "",
         {}},
        // A run that hands nothing over ends with its code, and no file; -t
        // assigns nothing, but a code that no exit code below the numbers of
        // files can carry still takes a line.
        {{".x", "setexit", "7"}, tmp, "", "", 7, "", "", {}},
        {{"x", "-t", "setexit", "2000000"},
         tmp,
         "set X=2000000\n",
         "",
         0,
         "/t",
         "exit /b 2000000",
         {}},
        // What no line can carry is refused, with a reason.
        {{"x", "chdir", "C:\\100%"},
         tmp,
         "",
         "tvset: a directory that holds \", % or a control character can be handed over only with "
         "delayed expansion on\n",
         12,
         "",
         "",
         {}},
        {{"a^b", "set", "v"}, tmp, "", "Cannot set environment variable A^B\n", 12, "", "", {}},
        {{"x", "parse", "r%s", "a"},
         tmp,
         "",
         "Cannot set environment variable R%S\n",
         12,
         "",
         "",
         {}},
        {{"x", "set", E_ACUTE},
         tmp,
         "",
         "tarvelix: Code page 850 cannot show a character of the output; run chcp 65001 first\n",
         12,
         "",
         "",
         {}},
    };
    for (const HandoverCase &c : cases) {
        prepare(c.env);
        for (const std::string &path : c.unwritable)
            fake().unwritable.insert(path);
        std::vector<std::string> args{"-tvset"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        RunResult r = run(args);
        std::string label = c.args[0].substr(0, 10) + " " + c.args[1] + " " + c.args.back();
        EXPECT_EQ(r.out, c.out) << label;
        EXPECT_EQ(r.err, c.err) << label;
        std::map<std::string, std::string> files = fake().files;
        if (c.folder.empty()) {
            EXPECT_EQ(r.code, c.code) << label;
        } else {
            EXPECT_EQ((r.code - FIRST_HANDOVER_ID) / ID_SPAN, c.code) << label;
            EXPECT_EQ(r.code % 2, c.env.begin()->second[0] == '"' ? 1 : 0) << label;
            EXPECT_EQ(command_file(r.code, c.folder), c.line + "\n") << label;
            files.erase(c.folder + "/" + std::to_string(r.code) + ".tvs");
        }
        EXPECT_EQ(files, c.values) << label;
        for (const std::string &dir : fake().dirs)
            EXPECT_EQ(dir.find("tvset-"), c.values.empty() ? std::string::npos : dir.find("tvset-"))
                << label << ": " << dir;
    }
}

TEST(Handover, NamesThatOthersHoldAreNotTaken) {
    prepare({{"TMP", "/t"}});
    fake().dirs.insert("/t/tvset-7");
    fake().files["/t/" + std::to_string(FIRST_HANDOVER_ID + 16) + ".tvs"] = "another run's";
    fake().randoms = {7, 8, 8, 9};
    RunResult r = run({"-tvset", "x", "set", "v%"});
    EXPECT_EQ(r.code, FIRST_HANDOVER_ID + 18);
    EXPECT_EQ(fake().files["/t/tvset-8/1"], "v%\n");
}

// Files of commands and folders of values that a call left an hour ago or
// more are removed by a later call; nothing else is.
TEST(Handover, RemovesWhatEarlierCallsLeft) {
    prepare({{"TMP", "/t"}});
    const int64_t hour = 3600, now = fake().now;
    fake().files = {{"/t/1048577.tvs", "old"}, {"/t/1048579.tvs", "new"}, {"/t/tvset-5/1", "old"},
                    {"/t/tvset-5/2", "old"},   {"/t/notes.tvs", "old"},   {"/t/12.txt", "old"},
                    {"/t/tvset-6/1", "new"}};
    fake().dirs.insert({"/t/tvset-5", "/t/tvset-6", "/t/tvset-x"});
    for (const char *path : {"/t/1048577.tvs", "/t/tvset-5", "/t/notes.tvs", "/t/12.txt",
                             "/t/tvset-x", "/t/tvset-5/1", "/t/tvset-5/2"})
        fake().modified[path] = now - hour - 1;
    fake().modified["/t/1048579.tvs"] = now - hour + 1;
    RunResult r = run({"-tvset", "x", "set", "v"});
    ASSERT_GE(r.code, FIRST_HANDOVER_ID);
    fake().files.erase("/t/" + std::to_string(r.code) + ".tvs");
    const std::map<std::string, std::string> kept = {{"/t/1048579.tvs", "new"},
                                                     {"/t/notes.tvs", "old"},
                                                     {"/t/12.txt", "old"},
                                                     {"/t/tvset-6/1", "new"}};
    EXPECT_EQ(fake().files, kept);
    EXPECT_EQ(fake().dirs.count("/t/tvset-5"), 0u);
    EXPECT_EQ(fake().dirs.count("/t/tvset-6"), 1u);
    EXPECT_EQ(fake().dirs.count("/t/tvset-x"), 1u);
}

// The bytes that cmd acts on, and some that it does not, in random texts.
std::string random_text(std::mt19937 &random, size_t most) {
    static const std::vector<std::string> pieces = {
        "\"", "%", "!",  "^", "&", "|", "<", ">",    "(",    ")",     " ",    "=",  "\n", "\r",
        "\t", ":", "\\", "/", "a", "Z", "0", "\x01", "\x1a", E_ACUTE, "!OS!", "%%", "C:"};
    std::string text;
    for (size_t n = random() % (most + 1); n > 0; --n)
        text += pieces[random() % pieces.size()];
    return text;
}

bool has_any(const std::string &text, const std::string &characters) {
    return text.find_first_of(characters) != std::string::npos;
}

// Whatever the arguments, names, directory and folders, every line that the
// program writes keeps its grammar and gives the script exactly the values and
// the directory meant; anything else is refused and leaves no file.
TEST(TvsetLine, EveryLineKeepsItsGrammar) {
    std::mt19937 random(20261207);
    const std::string control = std::string("\"%\n\r\t\x01\x1a", 7);
    for (int round = 0; round < 4000; ++round) {
        bool delayed = random() % 2 == 0;
        std::string folder = "/" + random_text(random, 6);
        std::map<std::string, std::string> env{{"TMP", folder}, {"TEMP", "/t"}};
        if (delayed)
            env["_tvdelayed"] = "1";
        prepare(env);
        fake().out_cannot_hold.clear();
        fake().dirs.insert(folder);
        std::string name = "v" + random_text(random, 3);
        std::string text = random_text(random, 30);
        std::vector<std::string> args{"-tvset", name};
        int function = static_cast<int>(random() % 3);
        if (function == 0) {
            args.insert(args.end(), {"set", text});
        } else if (function == 1) {
            args.insert(args.end(), {"parse", "rest", "a", text});
        } else {
            args.insert(args.end(), {"chdir", text});
        }
        RunResult r = run(args);
        std::string label = "round " + std::to_string(round) + ": " + name + " " + args[2] + " [" +
                            text + "]" + (delayed ? " delayed" : "") + " in " + folder;

        // What the script must receive, or a refusal.
        std::string upper = name;
        for (char &c : upper)
            c = upper_letter(c);
        bool refused = has_any(upper, control) || has_any(upper, "=!^");
        std::map<std::string, std::string> want;
        std::vector<std::string> targets;
        if (function == 2) {
            want[upper] = "C:";
            refused = refused || has_any(text, "\n\r") || (!delayed && has_any(text, control));
            if (!text.empty())
                targets.push_back(text);
        } else {
            refused = refused || has_any(text, "\n\r");
            std::string value = function == 0 ? text : "a";
            if (!value.empty())
                want[upper] = value;
            if (function == 1 && !text.empty())
                want["REST"] = text;
        }
        if (refused) {
            EXPECT_EQ(r.code, 12) << label;
            EXPECT_TRUE(fake().files.empty()) << label;
            continue;
        }
        ASSERT_GE(r.code, FIRST_HANDOVER_ID) << label << ": " << r.err;
        bool in_tmp = (r.code - FIRST_HANDOVER_ID) / ID_SPAN == 0;
        std::string line = command_file(r.code, in_tmp ? folder : "/t");
        ModelScript script;
        auto read = [](const std::string &path, std::string *content) {
            auto found = fake().files.find(path);
            if (found == fake().files.end())
                return false;
            *content = found->second;
            return true;
        };
        ASSERT_EQ(run_model_line(line, delayed, read, &script), "") << label << "\n" << line;
        EXPECT_EQ(script.env, want) << label << "\n" << line;
        EXPECT_EQ(script.cd_targets, targets) << label << "\n" << line;
        EXPECT_EQ(script.exit_code, 0) << label;
        // The line removes the folder of the values, which holds them all.
        size_t files = 1;
        for (const std::string &removed : script.removed) {
            for (const auto &[path, content] : fake().files)
                files += path.rfind(removed + "/", 0) == 0 ? 1 : 0;
        }
        EXPECT_EQ(files, fake().files.size()) << label << "\n" << line;
    }
}

} // namespace
