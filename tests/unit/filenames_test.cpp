// filedrive, filedrv, filedir, fileddir, filename, fileext and endslash.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/fake_platform.h"

namespace {

// The stored value of one function on one filespec (-t, so nothing is set).
std::string part(const std::string &function, const std::string &filespec) {
    fake_reset();
    RunResult r = run({"X", "-t", function, filespec});
    EXPECT_EQ(r.code, 0) << function << " " << filespec;
    EXPECT_EQ(r.out.substr(0, 6), "set X=") << function << " " << filespec;
    return r.out.substr(6, r.out.size() - 7);
}

struct Pieces {
    std::string filespec, drive, dir, ddir, name, ext;
};

TEST(FileNames, OneScanMarks) {
    const Pieces cases[] = {
        {R"(C:\a\b.c\d.txt)", "C:", R"(\a\b.c\)", R"(C:\a\b.c\)", "d", "txt"},
        {"C:d.txt", "C:", "", "C:", "d", "txt"},
        {R"(\\srv\share\f)", "", R"(\\srv\share\)", R"(\\srv\share\)", "f", ""},
        {".profile", "", "", "", ".profile", ""},
        {"a.b.c", "", "", "", "a.b", "c"},
        {"file.", "", "", "", "file", ""},
        {R"(C:\dir\)", "C:", R"(\dir\)", R"(C:\dir\)", "", ""},
        {R"(d.x\file)", "", R"(d.x\)", R"(d.x\)", "file", ""},
        {"a:b:c.d", "a:b:", "", "a:b:", "c", "d"},
        {"..", "", "", "", ".", ""},
        {R"(x\.y)", "", R"(x\)", R"(x\)", ".y", ""},
        {R"(a\)", "", R"(a\)", R"(a\)", "", ""},
        {"a/b.txt", "", "", "", "a/b", "txt"},
        {"", "", "", "", "", ""},
        {"C:.x", "C:", "", "C:", ".x", ""},
        {"a.b:c", "a.b:", "", "a.b:", "c", ""},
    };
    for (const Pieces &c : cases) {
        EXPECT_EQ(part("filedrive", c.filespec), c.drive) << c.filespec;
        EXPECT_EQ(part("filedrv", c.filespec), c.drive) << c.filespec;
        EXPECT_EQ(part("filedir", c.filespec), c.dir) << c.filespec;
        EXPECT_EQ(part("fileddir", c.filespec), c.ddir) << c.filespec;
        EXPECT_EQ(part("filename", c.filespec), c.name) << c.filespec;
        EXPECT_EQ(part("fileext", c.filespec), c.ext) << c.filespec;
    }
}

// Every filespec of up to five characters drawn from the characters that
// matter: the parts rebuild it, and each part is as long as the rules allow.
TEST(FileNames, PiecesRebuildEveryFilespec) {
    const std::string alphabet = "a.:\\/";
    std::vector<std::string> filespecs{""};
    for (size_t first = 0; first < filespecs.size() && filespecs[first].size() < 5; ++first) {
        for (char c : alphabet)
            filespecs.push_back(filespecs[first] + c);
    }
    ASSERT_EQ(filespecs.size(), 3906u);
    for (const std::string &filespec : filespecs) {
        std::string drive = part("filedrive", filespec), dir = part("filedir", filespec);
        std::string name = part("filename", filespec), ext = part("fileext", filespec);
        ASSERT_EQ(part("fileddir", filespec), drive + dir) << filespec;
        ASSERT_TRUE(drive.empty() || drive.back() == ':') << filespec;
        ASSERT_TRUE(dir.empty() || dir.back() == '\\') << filespec;
        ASSERT_EQ((dir + name + ext).find(':'), std::string::npos) << filespec;
        ASSERT_EQ((name + ext).find('\\'), std::string::npos) << filespec;
        ASSERT_EQ(ext.find('.'), std::string::npos) << filespec;
        if (drive + dir + name + "." + ext == filespec) {
            ASSERT_FALSE(name.empty()) << filespec; // a leading dot opens no extension
        } else {
            ASSERT_EQ(drive + dir + name, filespec);
            ASSERT_EQ(ext, "") << filespec;
            ASSERT_EQ(name.find('.', 1), std::string::npos) << filespec;
        }
    }
}

TEST(FileNames, PiecesLongerThanTheResultAreRefused) {
    const std::string dir = "C:\\" + std::string(300, 'd') + "\\";
    EXPECT_EQ(part("filename", dir + "f.x"), "f");
    EXPECT_EQ(part("filedrive", dir + "f.x"), "C:");
    fake_reset();
    RunResult r = run({"X", "-t", "fileddir", dir + "f.x"});
    EXPECT_EQ(r.out, "tarvelix: Result longer than 255 characters\n");
    EXPECT_EQ(r.code, 12);
}

struct EndCase {
    std::vector<std::string> args; // after "X -t endslash"
    int ends;
};

TEST(FileNames, EndslashLooksAtTheLastArgument) {
    const EndCase cases[] = {
        {{R"(C:\dir\)"}, 1},
        {{R"(C:\dir)"}, 0},
        {{"My", R"(Documents\)"}, 1},
        {{R"(C:\dir\")"}, 1},
        {{R"(C:\dir")"}, 0},
        {{R"(C:\dir\\)"}, 1},
        {{R"(\)"}, 1},
        {{R"(\")"}, 1},
        {{R"(\"")"}, 0},
        {{""}, 0},
        {{"\""}, 0},
        {{R"(a\)", "b"}, 0},
        {{R"(a\)", ""}, 0},
        {{"a", R"(b\)"}, 1},
        {{"C:/dir/"}, 0},
    };
    for (const EndCase &c : cases) {
        fake_reset();
        std::vector<std::string> args{"X", "-t", "endslash"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        RunResult r = run(args);
        EXPECT_EQ(r.out, "set X=" + std::to_string(c.ends) + "\n") << c.args.back();
        EXPECT_EQ(r.code, c.ends) << c.args.back();
    }
}

} // namespace
