// The POSIX platform layer called directly, for what no run of the program
// reaches: the limits of the registry tree and of the buffers it is given.
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <string>

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

} // namespace
