// curdrive, curdir, curddir, chdir and drvrdy against a fake machine with
// several drives.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/fake_platform.h"

namespace {

const std::string SHARE = "\\\\srv\\share\\d";

// A: missing, B: a root, C: current at \work\src, D: \data, E: ready but its
// directory cannot be read, F: not ready, Z: the last letter; off the lettered
// drives the working directory is on a share.
void make_machine(int current = 3) {
    fake_reset();
    FakeState &f = fake();
    f.drives[2] = FakeDrive{true, "B:\\"};
    f.drives[3] = FakeDrive{true, "C:\\work\\src"};
    f.drives[4] = FakeDrive{true, "D:\\data"};
    f.drives[5] = FakeDrive{true, ""};
    f.drives[6] = FakeDrive{false, "F:\\gone"};
    f.drives[26] = FakeDrive{true, "Z:\\last"};
    f.drives[0] = FakeDrive{true, SHARE};
    f.current_drive = current;
}

struct DriveCase {
    int current; // current drive before the run
    std::vector<std::string> args;
    std::string out; // everything on standard output
    int code;
};

void check(const std::vector<DriveCase> &cases) {
    for (const DriveCase &c : cases) {
        make_machine(c.current);
        RunResult r = run(c.args);
        std::string label = std::to_string(c.current) + ":";
        for (const std::string &arg : c.args)
            label.append(" ").append(arg, 0, 20);
        EXPECT_EQ(r.out, c.out) << label;
        EXPECT_EQ(r.err, "") << label;
        EXPECT_EQ(r.code, c.code) << label;
    }
}

TEST(Drives, CurrentDriveLetter) {
    check({
        {3, {"X", "-t", "curdrive"}, "set X=C:\n", 0},
        {1, {"X", "-t", "curdrv"}, "set X=A:\n", 0},
        {26, {"X", "-t", "curdrive"}, "set X=Z:\n", 0},
        {0, {"X", "-t", "curdrive"}, "set X=@:\n", 0},
        {3, {"X", "-t", "-l", "curdrive"}, "set X=c:\n", 0},
    });
}

TEST(Drives, WorkingDirectoryWithoutLetter) {
    check({
        {3, {"X", "-t", "curdir"}, "set X=\\work\\src\n", 0},
        {3, {"X", "-t", "curdir", "d"}, "set X=\\data\n", 0},
        {3, {"X", "-t", "curdir", "D"}, "set X=\\data\n", 0},
        {3, {"X", "-t", "curdir", "dxyz"}, "set X=\\data\n", 0},
        {3, {"X", "-t", "curdir", "z"}, "set X=\\last\n", 0},
        {3, {"X", "-t", "curdir", "b"}, "set X=\\\n", 0},
        {3, {"X", "-t", "curdir", "a"}, "set X=\n", 0},
        {3, {"X", "-t", "curdir", "e"}, "set X=\n", 0},
        {3, {"X", "-t", "curdir", "f"}, "set X=\n", 0},
        {0, {"X", "-t", "curdir"}, "set X=srv\\share\\d\n", 0},
        // Not a letter: no drive, even where the letter arithmetic would give 0.
        {3, {"X", "-t", "curdir", "@"}, "set X=\n", 0},
        {3, {"X", "-t", "curdir", ""}, "set X=\n", 0},
        {3, {"X", "-t", "curdir", "1"}, "set X=\n", 0},
        {3, {"X", "-t", "curdir", "["}, "set X=\n", 0},
        {3, {"X", "-t", "curdir", "\xe4"}, "set X=\n", 0},
        {3, {"X", "-t", "-u", "curdir", "d"}, "set X=\\DATA\n", 0},
    });
}

TEST(Drives, WorkingDirectoryWithLetter) {
    check({
        {3, {"X", "-t", "curddir"}, "set X=C:\\work\\src\n", 0},
        {3, {"X", "-t", "curddir", "d"}, "set X=D:\\data\n", 0},
        {3, {"X", "-t", "curddir", "B"}, "set X=B:\\\n", 0},
        {0, {"X", "-t", "curddir"}, "set X=" + SHARE + "\n", 0},
        {3, {"X", "-t", "curddir", "a"}, "set X=A:\\\n", 0},
        {3, {"X", "-t", "curddir", "e"}, "set X=A:\\\n", 0},
        {3, {"X", "-t", "curddir", "f"}, "set X=A:\\\n", 0},
        {3, {"X", "-t", "curddir", "@"}, "set X=A:\\\n", 0},
        {3, {"X", "-t", "curddir", ""}, "set X=A:\\\n", 0},
        {3, {"X", "-t", "curddir", "["}, "set X=A:\\\n", 0},
        {3, {"X", "-t", "-l", "curddir", "f"}, "set X=a:\\\n", 0},
    });
}

TEST(Drives, OverlongWorkingDirectoriesAreRefusedButLeft) {
    const std::string too_long = "tarvelix: Result longer than 255 characters\n";
    struct {
        std::string dir; // of drive D, current
        std::vector<std::string> args;
        std::string value; // empty: refused, unless left
        bool left = false; // chdir leaves it, storing the empty text
    } cases[] = {
        {"D:\\" + std::string(252, 'a'), {"curddir"}, "D:\\" + std::string(252, 'a')},
        {"D:\\" + std::string(253, 'a'), {"curddir"}, ""},
        {"D:\\" + std::string(253, 'a'), {"curdir"}, "\\" + std::string(253, 'a')},
        {"D:\\" + std::string(254, 'a'), {"curdir", "d"}, "\\" + std::string(254, 'a')},
        {"D:\\" + std::string(255, 'a'), {"curdir"}, ""},
        {"D:\\" + std::string(5000, 'a'), {"curdir"}, ""},
        // 255 characters of four bytes fill the directory buffer, its zero byte
        // included; one byte more does not fit.
        {"D:" + repeat(FOUR_BYTES, 255), {"curdir"}, repeat(FOUR_BYTES, 255)},
        {"D:" + repeat(FOUR_BYTES, 255) + "a", {"curdir"}, ""},
        {"D:\\" + std::string(252, 'a') + "\\", {"chdir", "x"}, "D:\\" + std::string(252, 'a')},
        {"D:\\" + std::string(253, 'a'), {"chdir", "C:x"}, "", true},
    };
    for (const auto &c : cases) {
        make_machine(4);
        fake().drives[4].dir = c.dir;
        std::vector<std::string> args{"X", "-v"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        RunResult r = run(args);
        std::string label = c.args[0] + " " + std::to_string(c.dir.size());
        if (c.left) {
            EXPECT_EQ(r.out, "set X=\n") << label;
            EXPECT_EQ(r.code, 0) << label;
            EXPECT_EQ(fake().dir_changes, std::vector<std::string>{"x"}) << label;
        } else if (c.value.empty()) {
            EXPECT_EQ(r.out, too_long) << label;
            EXPECT_EQ(r.code, 12) << label;
            EXPECT_TRUE(fake().env.empty()) << label;
            // Refused before anything was changed.
            EXPECT_TRUE(fake().drive_changes.empty()) << label;
            EXPECT_TRUE(fake().dir_changes.empty()) << label;
        } else {
            EXPECT_EQ(r.code, 0) << label;
            EXPECT_EQ(fake().env["X"], c.value) << label;
        }
    }
}

struct ChdirCase {
    int current;
    std::vector<std::string> args; // after "X"
    std::string out;
    int drive_after;
    std::vector<int> drive_changes;
    std::vector<std::string> dir_changes;
};

TEST(Drives, ChdirChangesDriveThenDirectoryAndYieldsThePreviousOne) {
    const std::string set = "set X=C:\\work\\src\n";
    const std::vector<ChdirCase> cases = {
        {3, {"-t", "chdir", "D:\\data2"}, "D:\ncd \"\\data2\"\n" + set, 4, {4}, {}},
        {3, {"-v", "chdir", "D:\\data2"}, set, 4, {4}, {"\\data2"}},
        {3, {"-v", "-t", "chdir", "d:x"}, "d:\ncd \"x\"\n" + set, 4, {4}, {}},
        // A bare drive: the script goes to its current directory, with no "cd".
        {3, {"-t", "chdir", "D:"}, "D:\n" + set, 4, {4}, {}},
        {3, {"-v", "chdir", "D:"}, set, 4, {4}, {}},
        {3, {"-t", "chdir", "\\tmp"}, "cd \"\\tmp\"\n" + set, 3, {}, {}},
        {3, {"-v", "chdir", "\\tmp"}, set, 3, {}, {"\\tmp"}},
        {3, {"-v", "chdir", "..\\up"}, set, 3, {}, {"..\\up"}},
        // A drive that is not ready: the directory is still changed, on the current drive.
        {3, {"-v", "chdir", "f:\\x"}, set, 3, {6}, {"\\x"}},
        {3, {"-t", "chdir", "F:\\x"}, "F:\ncd \"\\x\"\n" + set, 3, {6}, {}},
        // Not a letter: no drive, and the whole argument is the directory.
        {3, {"-t", "chdir", "1:\\x"}, "cd \"1:\\x\"\n" + set, 3, {}, {}},
        {3, {"-t", "chdir", "::x"}, "cd \"::x\"\n" + set, 3, {}, {}},
        {3, {"-v", "chdir", "@:\\x"}, set, 3, {}, {"@:\\x"}},
        {3, {"-t", "chdir", ""}, set, 3, {}, {}},
        {3, {"-v", "chdir", ""}, set, 3, {}, {}},
        {3, {"-t", "chdir", "d"}, "cd \"d\"\n" + set, 3, {}, {}},
        {3, {"-t", "chdir", ":"}, "cd \":\"\n" + set, 3, {}, {}},
        {3,
         {"-t", "-u", "chdir", "d:\\data"},
         "D:\ncd \"\\DATA\"\nset X=C:\\WORK\\SRC\n",
         4,
         {4},
         {}},
        // From a root the trailing backslash goes; from a share it is kept as read.
        {2, {"-v", "chdir", "C:"}, "set X=B:\n", 3, {3}, {}},
        {0, {"-v", "chdir", "D:\\data"}, "set X=" + SHARE + "\n", 4, {4}, {"\\data"}},
        // The current directory cannot be read: the empty text, the change still made.
        {5, {"-v", "chdir", "D:\\x"}, "set X=\n", 4, {4}, {"\\x"}},
        {5, {"-t", "chdir", "D:\\x"}, "D:\ncd \"\\x\"\nset X=\n", 4, {4}, {}},
    };
    for (const ChdirCase &c : cases) {
        make_machine(c.current);
        std::vector<std::string> args{"X"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        RunResult r = run(args);
        std::string label = std::to_string(c.current) + ": " + c.args.back();
        EXPECT_EQ(r.out, c.out) << label;
        EXPECT_EQ(r.code, 0) << label;
        EXPECT_EQ(fake().current_drive, c.drive_after) << label;
        EXPECT_EQ(fake().drive_changes, c.drive_changes) << label;
        EXPECT_EQ(fake().dir_changes, c.dir_changes) << label;
    }
}

TEST(Drives, ChdirWritesALongDirectoryWhole) {
    const std::string dir = "\\" + std::string(5000, 'x');
    make_machine();
    RunResult r = run({"X", "-t", "chdir", "D:" + dir});
    EXPECT_EQ(r.out, "D:\ncd \"" + dir + "\"\nset X=C:\\work\\src\n");
    EXPECT_EQ(r.code, 0);

    make_machine();
    r = run({"X", "chdir", dir});
    EXPECT_EQ(fake().dir_changes, std::vector<std::string>{dir});
    EXPECT_EQ(fake().env["X"], "C:\\work\\src");
}

struct ReadyCase {
    std::string drive;
    int answer;
    std::vector<int> drive_changes;
};

TEST(Drives, DriveReadyRestoresTheCurrentDrive) {
    const std::vector<ReadyCase> cases = {
        {"c", 2, {3, 3}},  {"C", 2, {3, 3}}, {"d", 2, {4, 3}}, {"Dx", 2, {4, 3}},
        {"z", 2, {26, 3}}, {"a", 0, {1}},    {"f", 0, {6}},    {"@", 0, {}},
        {"", 0, {}},       {"1", 0, {}},     {"\xe4", 0, {}},
    };
    for (const char *name : {"drvrdy", "driveready"}) {
        for (const ReadyCase &c : cases) {
            make_machine();
            RunResult r = run({"X", "-t", name, c.drive});
            std::string label = std::string(name) + " " + c.drive;
            EXPECT_EQ(r.out, "set X=" + std::to_string(c.answer) + "\n") << label;
            EXPECT_EQ(r.code, c.answer) << label;
            EXPECT_EQ(fake().current_drive, 3) << label;
            EXPECT_EQ(fake().drive_changes, c.drive_changes) << label;
        }
    }
    // Off the lettered drives there is no drive number to go back to: 0 is never
    // handed to the platform as a drive to make current.
    make_machine(0);
    RunResult r = run({"X", "-t", "drvrdy", "d"});
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(fake().drive_changes, std::vector<int>{4});
}

} // namespace
