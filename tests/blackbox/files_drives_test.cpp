// The built program on real files and directories: file status, and drives and
// working directories through the single drive C: of the POSIX build.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "tests/blackbox/program.h"

namespace {

namespace fs = std::filesystem;

const int64_t GIB = int64_t{1} << 30;

// Sets the modification time; false when the file system cannot hold it.
bool set_mtime(const std::string &path, int64_t seconds) {
    timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(seconds), 0}};
    struct stat info;
    return utimensat(AT_FDCWD, path.c_str(), times, 0) == 0 && stat(path.c_str(), &info) == 0 &&
           info.st_mtime == seconds;
}

// A file of this size whose blocks are never written: cheap at any size.
void make_sparse(const std::string &path, int64_t size) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0) << path;
    EXPECT_EQ(ftruncate(fd, static_cast<off_t>(size)), 0) << path;
    close(fd);
}

// A directory below base whose absolute path is exactly length characters.
std::string make_dir_of_length(const std::string &base, size_t length) {
    std::string path = base;
    while (path.size() < length) {
        size_t left = length - path.size() - 1; // after the slash
        size_t part = std::min<size_t>(left, 100);
        if (left - part == 1) // never leave a lone slash for the last part
            --part;
        path.append(1, '/').append(part, 'd');
        fs::create_directory(path);
    }
    return path;
}

struct Case {
    std::vector<std::string> args;
    std::string out;
    int code;
};

class FilesAndDrives : public ::testing::Test {
  protected:
    void SetUp() override { dir = fs::canonical(make_temp_dir()).string(); }
    void TearDown() override { fs::remove_all(dir); }

    void check(const std::vector<Case> &cases, const std::string &work = "") {
        for (const Case &c : cases) {
            ProgramRun r = run_program(c.args, {.directory = work});
            std::string label;
            for (const std::string &arg : c.args)
                label.append(" ").append(arg, 0, 40);
            EXPECT_EQ(r.out, c.out) << label;
            EXPECT_EQ(r.err, "") << label;
            EXPECT_EQ(r.code, c.code) << label;
        }
    }

    std::string dir;
};

TEST_F(FilesAndDrives, FileStatus) {
    const std::string empty = dir + "/empty", data = dir + "/data", sub = dir + "/sub";
    const std::string older = dir + "/older", newer = dir + "/newer";
    write_file(empty, "");
    write_file(data, "12345");
    write_file(older, "o");
    write_file(newer, "n");
    fs::create_directory(sub);
    ASSERT_TRUE(set_mtime(data, 1000000000));
    ASSERT_TRUE(set_mtime(older, 1500000000));
    ASSERT_TRUE(set_mtime(newer, 1500000001));
    ASSERT_TRUE(set_mtime(sub, 1500000001));
    check({
        {{"x", "-t", "filesize", empty}, "set X=0\n", 0},
        {{"x", "-t", "filesize", data}, "set X=5\n", 0},
        {{"x", "-t", "filesize", dir + "/missing"}, "set X=0\n", 10},
        {{"x", "-t", "filetime", data}, "set X=1000000000\n", 0},
        {{"x", "-t", "filetime", dir + "/missing"}, "set X=0\n", 10},
        {{"x", "-t", "update", newer, older}, "set X=1\n", 1},
        {{"x", "-t", "update", older, newer}, "set X=0\n", 0},
        {{"x", "-t", "update", sub, newer}, "set X=0\n", 0},
        {{"x", "-t", "update", dir + "/missing", data}, "set X=3\n", 3},
        {{"x", "-t", "update", data, dir + "/missing"}, "set X=2\n", 2},
        {{"x", "-t", "isdir", sub}, "set X=0\n", 0},
        {{"x", "-t", "isdir", sub + "\\"}, "set X=0\n", 0},
        {{"x", "-t", "isdir", sub + "/"}, "set X=0\n", 0},
        {{"x", "-t", "isdir", "/"}, "set X=0\n", 0},
        {{"x", "-t", "isdir", data}, "set X=1\n", 1},
        {{"x", "-t", "isdir", dir + "/missing"}, "set X=2\n", 2},
        {{"x", "-t", "isdir", ""}, "set X=2\n", 2},
    });
}

TEST_F(FilesAndDrives, SizesOf2GiBAndMoreAreExact) {
    make_sparse(dir + "/below", 2 * GIB - 1);
    make_sparse(dir + "/at", 2 * GIB);
    make_sparse(dir + "/big", 5 * GIB);
    make_sparse(dir + "/wraps", 4 * GIB + 7); // would read 7 if cut to 32 bits
    check({
        {{"x", "-t", "filesize", dir + "/below"}, "set X=2147483647\n", 0},
        {{"x", "-t", "filesize", dir + "/at"}, "set X=2147483648\n", 0},
        {{"x", "-t", "filesize", dir + "/big"}, "set X=5368709120\n", 0},
        {{"x", "-t", "filesize", dir + "/wraps"}, "set X=4294967303\n", 0},
    });
}

TEST_F(FilesAndDrives, TimesBeyond32BitsAreCutWithoutError) {
    const std::string late = dir + "/late", later = dir + "/later", early = dir + "/early";
    write_file(late, "");
    write_file(later, "");
    write_file(early, "");
    if (!set_mtime(late, (int64_t{1} << 31) + 10) || !set_mtime(later, (int64_t{1} << 32) + 5) ||
        !set_mtime(early, 6))
        GTEST_SKIP() << "the file system here cannot hold times beyond 2038";
    check({
        {{"x", "-t", "filetime", late}, "set X=-2147483638\n", 0},
        {{"x", "-t", "filetime", later}, "set X=5\n", 0},
        // All 64 bits are compared, not the cut values (5 < 6).
        {{"x", "-t", "update", later, early}, "set X=1\n", 1},
        {{"x", "-t", "update", early, later}, "set X=0\n", 0},
    });
}

TEST_F(FilesAndDrives, OneDriveC) {
    const std::string c_dir = "set X=C:" + dir + "\n";
    fs::create_directory(dir + "/sub");
    check(
        {
            {{"x", "-t", "curdrive"}, "set X=C:\n", 0},
            {{"x", "-t", "curdir"}, "set X=" + dir + "\n", 0},
            {{"x", "-t", "curdir", "c"}, "set X=" + dir + "\n", 0},
            {{"x", "-t", "curdir", "C"}, "set X=" + dir + "\n", 0},
            {{"x", "-t", "curdir", "d"}, "set X=\n", 0},
            {{"x", "-t", "curdir", "@"}, "set X=\n", 0},
            {{"x", "-t", "curddir"}, c_dir, 0},
            {{"x", "-t", "curddir", "c"}, c_dir, 0},
            {{"x", "-t", "curddir", "z"}, "set X=A:\\\n", 0},
            {{"x", "-t", "curddir", ""}, "set X=A:\\\n", 0},
            {{"x", "-t", "chdir", "C:/elsewhere"}, "C:\ncd \"/elsewhere\"\n" + c_dir, 0},
            {{"x", "-t", "chdir", "D:\\data"}, "D:\ncd \"\\data\"\n" + c_dir, 0},
            {{"x", "-t", "chdir", "d:"}, "d:\n" + c_dir, 0},
            {{"x", "-v", "chdir", "sub"}, c_dir, 0},
            {{"x", "-v", "chdir", "C:" + dir + "/missing"}, c_dir, 0},
            {{"x", "-v", "chdir", "Q:sub"}, c_dir, 0},
            {{"x", "-t", "drvrdy", "c"}, "set X=2\n", 2},
            {{"x", "-t", "drvrdy", "C"}, "set X=2\n", 2},
            {{"x", "-t", "driveready", "c:\\"}, "set X=2\n", 2},
            {{"x", "-t", "drvrdy", "d"}, "set X=0\n", 0},
            {{"x", "-t", "drvrdy", ""}, "set X=0\n", 0},
        },
        dir);
    // At the root the separator is a slash, which stays.
    check(
        {{{"x", "-v", "chdir", "tmp"}, "set X=C:/\n", 0}, {{"x", "-t", "curdir"}, "set X=/\n", 0}},
        "/");
}

TEST_F(FilesAndDrives, RemovedWorkingDirectoryCannotBeRead) {
    const std::string gone = dir + "/gone";
    const std::vector<Case> cases = {
        {{"x", "-t", "curdir"}, "set X=\n", 0},
        {{"x", "-t", "curddir"}, "set X=A:\\\n", 0},
        {{"x", "-t", "curdrive"}, "set X=C:\n", 0},
        {{"x", "-v", "chdir", "/"}, "set X=\n", 0},
        {{"x", "-t", "chdir", "C:/"}, "C:\ncd \"/\"\nset X=\n", 0},
        {{"x", "-t", "drvrdy", "c"}, "set X=2\n", 2},
    };
    for (const Case &c : cases) {
        fs::create_directory(gone);
        ProgramRun r = run_program(c.args, {.directory = gone, .remove_directory = true});
        EXPECT_EQ(r.out, c.out) << c.args[2];
        EXPECT_EQ(r.code, c.code) << c.args[2];
    }
}

TEST_F(FilesAndDrives, LongWorkingDirectories) {
    const std::string too_long = "tarvelix: Result longer than 255 characters\n";
    const std::string d253 = make_dir_of_length(dir, 253), d254 = make_dir_of_length(dir, 254);
    const std::string d255 = make_dir_of_length(dir, 255), d256 = make_dir_of_length(dir, 256);
    for (const std::string &path : {d253, d254, d255, d256})
        ASSERT_TRUE(fs::is_directory(path)) << path;
    ASSERT_EQ(d256.size(), 256u);
    ASSERT_EQ(d256.back(), 'd');
    check({{{"x", "-t", "curddir"}, "set X=C:" + d253 + "\n", 0},
           {{"x", "-t", "chdir", "/"}, "cd \"/\"\nset X=C:" + d253 + "\n", 0}},
          d253);
    check({{{"x", "-t", "curddir"}, too_long, 12},
           // chdir leaves a folder too deep for its result, storing the empty text.
           {{"x", "-t", "chdir", "/"}, "cd \"/\"\nset X=\n", 0},
           {{"x", "-t", "curdir"}, "set X=" + d254 + "\n", 0}},
          d254);
    check({{{"x", "-t", "curdir"}, "set X=" + d255 + "\n", 0}}, d255);
    check({{{"x", "-t", "curdir"}, too_long, 12}, {{"x", "-v", "curdir", "C"}, too_long, 12}},
          d256);
    // The program reads the directory into room for "C:", 1,020 bytes and a zero
    // byte. One that fills it and one that does not fit are both refused.
    const std::string d1020 = make_dir_of_length(dir, 1020), d1021 = make_dir_of_length(dir, 1021);
    ASSERT_EQ(d1021.size(), 1021u);
    check({{{"x", "-t", "curdir"}, too_long, 12}}, d1020);
    check({{{"x", "-t", "curdir"}, too_long, 12}, {{"x", "-t", "curddir"}, too_long, 12}}, d1021);
}

} // namespace
