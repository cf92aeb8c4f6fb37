// The POSIX platform layer called directly, for what no run of the program
// reaches: the limits of the registry tree and of the buffers it is given,
// and the files made for tvset.cmd when others meddle with their folder.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/platform.h"

namespace {

namespace fs = std::filesystem;

// The registry tree of this test program, made and removed by each test: the
// values ka\v and .a\v, and an empty key b beside them.
class Registry : public ::testing::Test {
  protected:
    const fs::path root = TARVELIX_REGISTRY_ROOT;
    void SetUp() override {
        fs::remove_all(root);
        fs::create_directories(root / "ka");
        fs::create_directories(root / ".a");
        fs::create_directories(root / "b");
        std::ofstream(root / "ka" / "v", std::ios::binary) << "data";
        std::ofstream(root / ".a" / "v", std::ios::binary) << "data";
    }
    void TearDown() override { fs::remove_all(root); }
};

TEST_F(Registry, FindsOnlyNamesInsideTheTreeAndDataThatFits) {
    const struct {
        std::string key, value;
        size_t size;
        long found; // -1: nothing
    } cases[] = {
        {"ka", "v", 4, 4},
        {"ka", "v", 5, 4},
        {"ka", "v", 3, -1}, // the data is larger than the buffer
        {".a", "v", 5, 4},
        // Each of these reaches ka\v, were the name taken as a path.
        {"b\\..\\ka", "v", 5, -1},
        {".\\ka", "v", 5, -1},
        {"\\ka", "v", 5, -1},
        {"ka\\", "v", 5, -1},
        {"b/../ka", "v", 5, -1},
        {"b", "../ka/v", 5, -1},
        {std::string(PATH_MAX, 'k'), "v", 5, -1},
    };
    for (const auto &c : cases) {
        char buffer[8] = {};
        long found = platform_registry_query(c.key.c_str(), c.value.c_str(), buffer, c.size);
        EXPECT_EQ(found, c.found) << c.key.substr(0, 20) << " " << c.value << " " << c.size;
        if (found > 0) {
            EXPECT_STREQ(buffer, "data");
        }
    }
}

TEST(Drives, ABufferTooSmallForTheDriveLetterIsLeftAlone) {
    for (size_t size = 0; size < 3; ++size) {
        char buffer[] = "###";
        EXPECT_EQ(platform_get_drive_dir(3, buffer, size), static_cast<int>(size));
        EXPECT_STREQ(buffer, "###") << size;
    }
}

// A folder of each test's own in the build tree (tests run at the same time),
// made and removed by the test.
class Files : public ::testing::Test {
  protected:
    const fs::path dir = fs::path(TARVELIX_REGISTRY_ROOT).parent_path() /
                         (std::string("posix-test-") +
                          ::testing::UnitTest::GetInstance()->current_test_info()->name());
    void SetUp() override {
        fs::remove_all(dir);
        fs::create_directories(dir / "other");
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string at(const std::string &name) const { return (dir / name).string(); }
};

TEST_F(Files, NewNamesOnlyAndNeverThroughALink) {
    EXPECT_EQ(platform_make_new_dir(at("first").c_str()), CREATED);
    EXPECT_EQ(fs::status(at("first")).permissions(), fs::perms::owner_all);
    EXPECT_EQ(platform_make_new_dir(at("first").c_str()), ALREADY_EXISTS);
    EXPECT_EQ(platform_make_new_dir(at("none/x").c_str()), CREATE_FAILED);
    EXPECT_EQ(platform_make_new_dir(("/" + std::string(PATH_MAX, 'd')).c_str()), CREATE_FAILED);
    EXPECT_EQ(platform_make_new_dir(at("made").c_str()), CREATED); // the folder made last
    EXPECT_EQ(platform_write_new_file(at("f").c_str(), "v\n", 2), CREATED);
    EXPECT_EQ(platform_write_new_file(at("f").c_str(), "w\n", 2), ALREADY_EXISTS);
    fs::create_symlink(dir / "other" / "target", at("link"));
    EXPECT_EQ(platform_write_new_file(at("link").c_str(), "w\n", 2), ALREADY_EXISTS);
    EXPECT_FALSE(fs::exists(dir / "other" / "target"));
    EXPECT_EQ(platform_write_new_file(at("none/f").c_str(), "w\n", 2), CREATE_FAILED);

    // Another moves the folder made last away and puts a link to a folder of
    // theirs in its place: the file goes into the folder made all the same,
    // and is removed from there.
    fs::rename(at("made"), at("moved"));
    fs::create_directory_symlink(dir / "other", at("made"));
    EXPECT_EQ(platform_write_new_file(at("made/1").c_str(), "v\n", 2), CREATED);
    EXPECT_TRUE(fs::exists(dir / "moved" / "1"));
    EXPECT_FALSE(fs::exists(dir / "other" / "1"));
    EXPECT_TRUE(platform_remove_file(at("made/1").c_str()));
    EXPECT_FALSE(fs::exists(dir / "moved" / "1"));
    EXPECT_FALSE(platform_remove_dir(at("made").c_str())); // a link is no directory
    EXPECT_TRUE(platform_remove_dir(at("moved").c_str()));
    EXPECT_TRUE(platform_remove_file(at("f").c_str()));
    EXPECT_FALSE(platform_remove_file(at("f").c_str()));
}

TEST_F(Files, AFolderIsListedWithoutFollowingLinks) {
    std::ofstream(dir / "file") << "x";
    fs::create_directory_symlink(dir / "other", dir / "link");
    std::map<std::string, std::string> seen;
    auto note = [](const PlatformEntry &entry, void *context) {
        auto *entries = static_cast<std::map<std::string, std::string> *>(context);
        bool recent = entry.modified > platform_now() - 60;
        (*entries)[entry.name] = std::string(entry.is_directory ? "dir" : "") +
                                 (entry.is_file ? "file" : "") + (recent ? " now" : " old");
    };
    ASSERT_TRUE(platform_list_dir(dir.c_str(), note, &seen));
    const std::map<std::string, std::string> want = {
        {"file", "file now"}, {"link", " now"}, {"other", "dir now"}};
    EXPECT_EQ(seen, want);
    EXPECT_FALSE(platform_list_dir(at("none").c_str(), note, &seen));
}

TEST(Paths, FullAndShortFormsAndTheCodePageOfBatchFiles) {
    // Everything here is UTF-8: a batch file would read it back unchanged.
    EXPECT_EQ(platform_out_code_page(), UTF8_CODE_PAGE);
    EXPECT_EQ(platform_batch_code_page(), UTF8_CODE_PAGE);
    char buffer[PATH_MAX];
    char cwd[PATH_MAX];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    EXPECT_EQ(platform_full_path("x/y", buffer, sizeof buffer), static_cast<long>(strlen(cwd) + 4));
    EXPECT_EQ(std::string(buffer), std::string(cwd) + "/x/y");
    EXPECT_EQ(platform_full_path("/a", buffer, 2), -1);
    EXPECT_EQ(platform_full_path("x", buffer, strlen(cwd) + 2), -1);
    EXPECT_EQ(platform_short_path("/a/b", buffer, sizeof buffer), 4);
    EXPECT_EQ(platform_short_path("/a/b", buffer, 4), -1);
}

} // namespace
