#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/fake_platform.h"

namespace {

struct ArithmeticCase {
    std::vector<std::string> args; // after "X -t"
    std::string value;             // empty: nothing stored
    std::string err;
    int code;
};

TEST(Arithmetic, FoldsLeftToRight) {
    const std::string zero = "tarvelix: Divide by zero\n";
    const std::vector<ArithmeticCase> cases = {
        {{"add", "2", "3"}, "5", "", 0},
        {{"add", "5", ""}, "5", "", 0},
        {{"sub", "2", "5"}, "-3", "", 2},
        {{"sub", "3", "3"}, "0", "", 1},
        {{"sub", "-2147483648", "1"}, "2147483647", "", 2},
        {{"div", "7", "2"}, "3", "", 0},
        {{"div", "-7", "2"}, "-3", "", 2},
        {{"div", "100", "5", "2"}, "10", "", 0},
        {{"div", "1", "2"}, "0", "", 1},
        {{"div", "-2147483648", "-1"}, "-2147483648", "", 0},
        {{"div", "10", "0"}, "999999", zero, 9},
        {{"div", "10", "0", "0"}, "999999", zero + zero, 9},
        {{"div", "-10", "0", "5"}, "999999", zero, 9},
        {{"mul", "65536", "65536"}, "0", "", 0},
        {{"mul", "-65536", "65536"}, "0", "", 2},
        {{"mult", "6", "-7"}, "-42", "", 2},
        {{"mul", "0", "-7"}, "0", "", 1},
        // 2^31 * 2^31 * 2 wraps to -2^63 in 64 bits: low half 0, sign negative.
        {{"mul", "-2147483648", "-2147483648", "2"}, "0", "", 2},
        {{"mul", "-2147483648", "-2147483648", "4"}, "0", "", 1},
        {{"add", "2147483647", "1"}, "-2147483648", "", 0},
        {{"add", "1", "x"}, "", "", 12},
        {{"div", "10", "0", "x"}, "", zero, 12},
    };
    for (const ArithmeticCase &c : cases) {
        fake_reset();
        RunResult r = run_test_mode(c.args);
        std::string expected_out =
            c.code == 12 ? "Invalid number encountered\n" : "set X=" + c.value + "\n";
        EXPECT_EQ(r.out, expected_out) << c.args[0] << " " << c.args[1] << " " << c.args[2];
        EXPECT_EQ(r.err, c.err) << c.args[0];
        EXPECT_EQ(r.code, c.code) << c.args[0] << " " << c.args[1] << " " << c.args[2];
    }
}

TEST(Arithmetic, QuietSuppressesTheDivideMessageOnly) {
    fake_reset();
    RunResult r = run({"X", "-q", "div", "10", "0", "0"});
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.code, 9);
    EXPECT_EQ(fake().env["X"], "999999");
}

} // namespace
