// filesize, filetime, update and isdir against file statuses of the fake.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/fake_platform.h"

namespace {

const int64_t GIB = int64_t{1} << 30;

// A machine with files of many sizes and times, and a few directories.
void make_files() {
    fake_reset();
    FakeState &f = fake();
    f.stats["empty"] = FileStatus{0, 100, false};
    f.stats["small"] = FileStatus{1234, 1000, false};
    f.stats["max32"] = FileStatus{INT32_MAX, 0, false};
    f.stats["2g"] = FileStatus{2 * GIB, 0, false};
    f.stats["5g"] = FileStatus{5 * GIB, 0, false};
    f.stats["huge"] = FileStatus{INT64_MAX, 0, false};
    f.stats["t31"] = FileStatus{0, INT32_MAX, false};
    f.stats["t32"] = FileStatus{0, int64_t{INT32_MAX} + 1, false};
    f.stats["t33"] = FileStatus{0, (int64_t{1} << 32) + 5, false};
    f.stats["tneg"] = FileStatus{0, -1, false};
    f.stats["older"] = FileStatus{1, 1000, false};
    f.stats["newer"] = FileStatus{1, 2000, false};
    f.stats["twin"] = FileStatus{1, 2000, false};
    f.stats["far"] = FileStatus{1, (int64_t{1} << 32) + 1, false}; // low 32 bits: 1
    f.stats["near"] = FileStatus{1, 2, false};
    f.stats["C:\\"] = FileStatus{0, 0, true};
    f.stats[std::string(1, PATH_SEPARATOR)] = FileStatus{0, 0, true}; // the root
    f.stats["C:\\dir"] = FileStatus{0, 0, true};
    f.stats["C:\\dir\\file"] = FileStatus{7, 0, false};
}

struct StatusCase {
    std::vector<std::string> args; // after "X -t"
    std::string value;
    int code;
    std::vector<std::string> examined; // the paths handed to the platform, in order
};

TEST(FileStatus, AnswersFromThePlatformStatus) {
    const std::vector<StatusCase> cases = {
        {{"filesize", "empty"}, "0", 0, {"empty"}},
        {{"filesize", "small"}, "1234", 0, {"small"}},
        {{"filesize", "missing"}, "0", 10, {"missing"}},
        {{"filesize", "max32"}, "2147483647", 0, {"max32"}},
        // 2 GiB and more: the exact size, not a wrapped 32-bit count.
        {{"filesize", "2g"}, "2147483648", 0, {"2g"}},
        {{"filesize", "5g"}, "5368709120", 0, {"5g"}},
        {{"filesize", "huge"}, "9223372036854775807", 0, {"huge"}},
        {{"filetime", "small"}, "1000", 0, {"small"}},
        {{"filetime", "missing"}, "0", 10, {"missing"}},
        {{"filetime", "t31"}, "2147483647", 0, {"t31"}},
        {{"filetime", "t32"}, "-2147483648", 0, {"t32"}},
        {{"filetime", "t33"}, "5", 0, {"t33"}},
        {{"filetime", "tneg"}, "-1", 0, {"tneg"}},
        {{"update", "newer", "older"}, "1", 1, {"newer", "older"}},
        {{"update", "older", "newer"}, "0", 0, {"older", "newer"}},
        {{"update", "newer", "twin"}, "0", 0, {"newer", "twin"}},
        {{"update", "small", "small"}, "0", 0, {"small", "small"}},
        {{"update", "far", "near"}, "1", 1, {"far", "near"}}, // all 64 bits compared
        {{"update", "missing", "older"}, "3", 3, {"missing"}},
        {{"update", "missing", "gone"}, "3", 3, {"missing"}},
        {{"update", "newer", "gone"}, "2", 2, {"newer", "gone"}},
        {{"isdir", "C:\\"}, "0", 0, {"C:\\"}},
        {{"isdir", "C:\\dir"}, "0", 0, {"C:\\dir"}},
        {{"isdir", "C:\\dir\\"}, "0", 0, {"C:\\dir"}},
        {{"isdir", "C:\\dir\\\\"}, "2", 2, {"C:\\dir\\"}}, // one backslash only
        {{"isdir", "C:\\dir\\file"}, "1", 1, {"C:\\dir\\file"}},
        {{"isdir", "C:\\dir\\file\\"}, "1", 1, {"C:\\dir\\file"}},
        {{"isdir", "C:\\nothing"}, "2", 2, {"C:\\nothing"}},
        {{"isdir", ""}, "2", 2, {""}},
        {{"isdir", "\\"}, "0", 0, {std::string(1, PATH_SEPARATOR)}},
        {{"isdir", ":\\"}, "2", 2, {":\\"}},
        {{"isdir", "dir/"}, "2", 2, {"dir"}}, // a slash goes as a backslash does
        {{"isdir", "C:/"}, "2", 2, {"C:/"}},
        {{"isdir", "/"}, "0", 0, {"/"}},
    };
    for (const StatusCase &c : cases) {
        make_files();
        RunResult r = run_test_mode(c.args);
        std::string label = c.args[0] + " " + c.args[1];
        EXPECT_EQ(r.out, "set X=" + c.value + "\n") << label;
        EXPECT_EQ(r.err, "") << label;
        EXPECT_EQ(r.code, c.code) << label;
        EXPECT_EQ(fake().stat_paths, c.examined) << label;
    }
}

TEST(FileStatus, CaseOptionsReachThePathAndLeaveNumbersAlone) {
    make_files();
    fake().stats["SMALL"] = FileStatus{99, 0, false};
    RunResult r = run({"X", "-u", "filesize", "small"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(fake().env["X"], "99");

    make_files();
    r = run({"X", "-v", "-l", "filesize", "5G"});
    EXPECT_EQ(r.out, "set X=5368709120\n");
    EXPECT_EQ(r.code, 0);
}

} // namespace
