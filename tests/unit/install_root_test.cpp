// setqortop and read_install_root.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "functions/functions.h"
#include "tests/fake_platform.h"

namespace {

const std::string VALUE = "SOFTWARE\\Drelvink\\Corvanta\\38.0\\korvo\\qortop";
const std::string UNABLE = "Unable to retrieve value of QORTOP from Registry\n";

struct RootCase {
    std::string key; // empty: no registry value at all
    std::string data;
    std::vector<std::string> options;
    std::string out, err;
};

TEST(Setqortop, StoresTheRootOrReportsItMissing) {
    const std::string root = "C:\\Program Files\\Root";
    const std::vector<RootCase> cases = {
        {VALUE, root, {"-t"}, "set X=" + root + "\n", ""},
        {VALUE, root + std::string(1, '\0'), {"-t"}, "set X=" + root + "\n", ""},
        {VALUE, std::string("ab\0cd", 5), {"-t"}, "set X=ab\n", ""},
        {VALUE, root, {"-t", "-u"}, "set X=C:\\PROGRAM FILES\\ROOT\n", ""},
        {VALUE, "", {"-t"}, "set X=\n", ""},
        {VALUE, std::string(255, 'r'), {"-t"}, "set X=" + std::string(255, 'r') + "\n", ""},
        {VALUE, std::string(255, 'r') + '\0', {"-t"}, "set X=" + std::string(255, 'r') + "\n", ""},
        // More than 255 characters, however few bytes they take.
        {VALUE, std::string(256, 'r'), {"-t"}, "set X=\n", UNABLE},
        {VALUE, std::string(257, 'r'), {"-t"}, "set X=\n", UNABLE},
        // Characters count, not bytes; text that is not UTF-8 is 8-bit text.
        {VALUE, "C:\\Caf\xe9", {"-t"}, "set X=C:\\Caf\xc3\xa9\n", ""},
        {VALUE, std::string(255, 'r') + "\xc3\xa9", {"-t"}, "set X=\n", UNABLE},
        {"", "", {"-t"}, "set X=\n", UNABLE},
        {"", "", {"-v", "-q"}, "set X=\n", UNABLE},
        {"SOFTWARE\\Drelvink\\Corvanta\\38.0\\qortop", root, {"-t"}, "set X=\n", UNABLE},
        {"SOFTWARE\\Drelvink\\Corvanta\\38.0\\korvo\\QORTOP", root, {"-v"}, "set X=\n", UNABLE},
    };
    for (const RootCase &c : cases) {
        fake_reset();
        if (!c.key.empty())
            fake().registry[c.key] = c.data;
        std::vector<std::string> args{"X"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.push_back("setqortop");
        RunResult r = run(args);
        std::string label = c.key.substr(c.key.size() > 12 ? c.key.size() - 12 : 0) + " " +
                            std::to_string(c.data.size()) + " bytes";
        EXPECT_EQ(r.out, c.out) << label;
        EXPECT_EQ(r.err, c.err) << label;
        EXPECT_EQ(r.code, 0) << label;
        // The variable is set, to the empty text after a failure.
        EXPECT_EQ(fake().env.count("X"), c.options[0] == "-v" ? 1u : 0u) << label;
    }
}

TEST(ReadInstallRoot, NeverLeavesTheBuffer) {
    const struct {
        std::string data;
        int returned;
        std::string text;
        size_t size = RESULT_SIZE;
    } cases[] = {
        {"D:\\q", 0, "D:\\q"},
        {std::string(256, 'r'), 1, ""},
        {std::string(255, 'r') + '\0', 0, std::string(255, 'r')},
        // Data of exactly the buffer's size fits when it ends with a zero byte, and
        // has no room for one otherwise; data one byte larger is refused.
        {repeat(FOUR_BYTES, 255) + '\0', 0, repeat(FOUR_BYTES, 255)},
        {repeat(FOUR_BYTES, 255) + 'r', 1, ""},
        {repeat(FOUR_BYTES, 255) + "r" + '\0', 1, ""},
        // 8-bit text that outgrows a smaller buffer once turned into UTF-8.
        {std::string(5, '\xe9'), 1, "", 10},
        {std::string(5, '\xe9'), 0, repeat("\xc3\xa9", 5), 11},
    };
    for (const auto &c : cases) {
        fake_reset();
        fake().registry[VALUE] = c.data;
        char buffer[RESULT_SIZE + 1];
        memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(read_install_root(buffer, c.size), c.returned) << c.data.size();
        EXPECT_EQ(buffer[c.size], '#') << c.data.size();
        EXPECT_EQ(std::string(buffer), c.text) << c.data.size();
    }
}

} // namespace
