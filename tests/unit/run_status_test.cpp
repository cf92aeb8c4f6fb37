// qvstatus and setexit.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/fake_platform.h"

namespace {

struct StatusCase {
    std::string content;
    int status;                          // result and exit code
    bool double_byte = false;            // 8-bit text in the fake's double-byte code page
    size_t fails_at = std::string::npos; // file offset from which reads fail
};

// count times the fake's double-byte character 0x95 0x5C.
std::string H(size_t count) {
    std::string text;
    for (size_t i = 0; i < count; ++i)
        text += "\x95\x5c";
    return text;
}

// ASCII text as UTF-16 LE with its byte order mark.
std::string utf16le(const std::string &text) {
    std::string bytes = "\xff\xfe";
    for (char c : text)
        bytes += std::string{c, '\0'};
    return bytes;
}

// count times U+00E9 as UTF-8.
std::string E(size_t count) {
    std::string text;
    for (size_t i = 0; i < count; ++i)
        text += "\xc3\xa9";
    return text;
}

TEST(Qvstatus, LastStatusLineDividedByFour) {
    const std::string pad(244, ' ');
    std::string log = "SET QORCOD=4\n";
    for (int i = 0; i < 20000; ++i)
        log += "INFO step " + std::to_string(i) + "\n";
    log += "SET QORCOD=16\n";
    const std::vector<StatusCase> cases = {
        {"", 8},
        {"log\nSET QORCOD=4\n", 1},
        {"set qorcod=12", 3},
        {"SET QORCOD=0\r\n", 0},
        {"SET QORCOD=3\n", 0},
        {"SET QORCOD=16\nSET QORCOD=0\nend\n", 0},
        {"SET QORCOD=x\n", 0},
        {"SET QORCOD=\n", 0},
        {"  SET QORCOD=8\n", 8},
        {"SET QORCOD =8\n", 8},
        {"sEt QoRcOd=8\n", 2},
        {"SET QORCOD= \t+13x\n", 3},
        {"SET QORCOD=\r8\r\n", 2},
        {"SET QORCOD=-7\n", -1},
        {"SET QORCOD=-8\n", -2},
        {"SET QORCOD=--8\n", 0},
        {"SET QORCOD=2147483647\n", 536870911},
        {"SET QORCOD=99999999999999999999\n", 536870911},
        {"SET QORCOD=-2147483648\n", -536870912},
        {"SET QORCOD=-99999999999999999999\n", -536870912},
        {"SET QORCOD=4\n\x1aSET QORCOD=12\n", 1},
        {std::string("SET QORCOD=8\0"
                     "9\n",
                     15),
         2},
        {std::string("SET\0QORCOD=8\n", 13), 8},
        // Every 255-character read is tested as a line of its own.
        {std::string(255, 'a') + "SET QORCOD=8\n", 2},
        {std::string(510, 'a') + "SET QORCOD=12", 3},
        {std::string(254, 'a') + "SET QORCOD=8\n", 8},
        {"SET QORCOD=" + pad.substr(1) + "9\n", 2},
        {"SET QORCOD=" + pad + "9\n", 0},
        // Reads counted in characters of the line's own form: 128 characters
        // of a double-byte code page hold no status line; a byte that is not
        // UTF-8, far along the line, makes all of it 8-bit text.
        {H(127) + "xSET QORCOD=12\n", 8, true},
        {H(127) + "xySET QORCOD=12\n", 8, true},
        {H(255) + "SET QORCOD=12\n", 3, true},
        {E(254) + "aSET QORCOD=12" + std::string(600, 'b') + "\n", 3},
        {E(254) + "aSET QORCOD=12" + std::string(600, 'b') + "\xff\n", 8},
        {utf16le("SET QORCOD=4\r\n" + std::string(255, 'x') + "set qorcod=12\r\n"), 3},
        // U+0153 holds the byte of S in its unit.
        {utf16le("SET QORCOD=4\r\n") + std::string("S\x01", 2) + utf16le("ET QORCOD=8").substr(2),
         1},
        // A read that fails leaves the last status line unknown, as a file that
        // cannot be read does.
        {"SET QORCOD=4\nx\n", 8, false, 13},
        {log, 4},
        {log, 8, false, 150000},
    };
    for (const StatusCase &c : cases) {
        for (size_t chunk : {0, 1, 5}) {
            fake_reset();
            fake().files["run.cod"] = c.content;
            fake().read_chunk = chunk;
            fake().double_byte = c.double_byte;
            fake().read_fails_at = c.fails_at;
            RunResult r = run({"X", "-t", "qvstatus", "run.cod"});
            std::string label = c.content.substr(0, 30) + " chunk " + std::to_string(chunk);
            EXPECT_EQ(r.out, "set X=" + std::to_string(c.status) + "\n") << label;
            EXPECT_EQ(r.code, c.status) << label;
            EXPECT_EQ(fake().open_handles, 0) << label;
        }
    }
}

TEST(Qvstatus, MissingFileIsStatusEightSilently) {
    fake_reset();
    RunResult r = run({"X", "qvstatus", "nosuch.cod"});
    EXPECT_EQ(r.out + r.err, "");
    EXPECT_EQ(r.code, 8);
    EXPECT_EQ(fake().env["X"], "8");
}

TEST(Setexit, NumberIsResultAndExitCode) {
    const struct {
        const char *arg;
        std::string out;
        int code;
    } cases[] = {
        {"5", "set X=5\n", 5},
        {"-1", "set X=-1\n", -1},
        {"0", "set X=0\n", 0},
        {"4294967297", "set X=1\n", 1},
        {"x", "Invalid number encountered\n", 12},
        {"+5", "Invalid number encountered\n", 12},
    };
    for (const auto &c : cases) {
        fake_reset();
        RunResult r = run({"X", "-t", "setexit", c.arg});
        EXPECT_EQ(r.out, c.out) << c.arg;
        EXPECT_EQ(r.code, c.code) << c.arg;
    }
}

} // namespace
