// Text-mode reads, read and ask.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "functions/text_reader.h"
#include "tests/fake_platform.h"

namespace {

const std::string A255(255, 'a');
const std::string A254(254, 'a');

// What text mode makes of raw bytes, taken in reads: the plain definition.
std::vector<std::string> expected_reads(const std::string &raw) {
    std::string text;
    for (size_t i = 0; i < raw.size() && raw[i] != '\x1a'; ++i) {
        if (!(raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n'))
            text += raw[i];
    }
    std::vector<std::string> reads{""};
    for (char c : text) {
        if (reads.back().size() == 255 || (!reads.back().empty() && reads.back().back() == '\n'))
            reads.emplace_back();
        reads.back() += c;
    }
    if (reads.back().empty())
        reads.pop_back();
    return reads;
}

// Reads a fake file through a reader with a buffer of this capacity, after
// skipping some reads; returns the reads taken.
std::vector<std::string> reads_of(const std::string &raw, size_t capacity, size_t chunk,
                                  uint32_t skip, uint32_t *skipped) {
    fake_reset();
    fake().files["f"] = raw;
    fake().read_chunk = chunk;
    static char buffer[4096];
    TextReader reader;
    text_reader_start_with(&reader, platform_open_read("f"), buffer, capacity);
    *skipped = text_skip_reads(&reader, skip);
    std::vector<std::string> reads;
    TextPiece piece;
    while (text_read_piece(&reader, &piece))
        reads.push_back(std::string(piece.text, piece.text_length) +
                        (piece.has_line_end ? "\n" : ""));
    platform_close(reader.handle);
    return reads;
}

void check_reader(const std::string &raw, const std::vector<std::string> &want) {
    for (size_t capacity : {TEXT_BUFFER_MIN, size_t{4096}}) {
        for (size_t chunk : {0, 1, 2, 3, 7, 255, 256, 257, 511}) {
            for (uint32_t skip = 0; skip <= want.size() + 1; ++skip) {
                uint32_t skipped = 0;
                std::vector<std::string> got = reads_of(raw, capacity, chunk, skip, &skipped);
                uint32_t gone = std::min<uint32_t>(skip, static_cast<uint32_t>(want.size()));
                ASSERT_EQ(skipped, gone) << raw.size() << " bytes, chunk " << chunk;
                ASSERT_EQ(got, std::vector<std::string>(want.begin() + gone, want.end()))
                    << raw.size() << " bytes, capacity " << capacity << ", chunk " << chunk
                    << ", skip " << skip;
            }
        }
    }
}

TEST(TextReader, ReadsAsTextModeDoes) {
    const std::string b = "b\n";
    const struct {
        std::string raw;
        std::vector<std::string> reads;
    } cases[] = {
        {"", {}},
        {"one\ntwo\r\nthree", {"one\n", "two\n", "three"}},
        {"\n\r\n\r", {"\n", "\n", "\r"}},
        {"a\rb\r\r\n", {"a\rb\r\n"}},
        {"ab\x1a"
         "cd\n",
         {"ab"}},
        {"ab\r\x1a\n", {"ab\r"}},
        {std::string(254, 'a') + "\r\n" + b, {std::string(254, 'a') + "\n", b}},
        {A255 + "\n" + b, {A255, "\n", b}},
        {A255 + "\r\n" + b, {A255, "\n", b}},
        {std::string(254, 'a') + "\rx\n", {std::string(254, 'a') + "\r", "x\n"}},
        {A255 + "a\n", {A255, "a\n"}},
        {std::string(509, 'a') + "\r\n" + b, {A255, std::string(254, 'a') + "\n", b}},
        {A255 + A255 + "\r\n", {A255, A255, "\n"}},
        {A255 + A255 + "a\n" + b, {A255, A255, "a\n", b}},
        {A255 + A255, {A255, A255}},
        {A255 + "a", {A255, "a"}},
    };
    for (const auto &c : cases) {
        ASSERT_EQ(expected_reads(c.raw), c.reads) << c.raw.size();
        check_reader(c.raw, c.reads);
    }
}

TEST(TextReader, MixedLinesAcrossBufferRefills) {
    std::mt19937 random(7);
    const char *ends[] = {"\n", "\r\n", "\r\r\n", "\r"};
    for (int round = 0; round < 4; ++round) {
        std::string raw;
        for (int line = 0; line < 20; ++line) {
            raw += std::string(random() % 600, static_cast<char>('a' + line % 26));
            raw += ends[random() % 4];
        }
        check_reader(raw, expected_reads(raw));
    }
}

struct ReadCase {
    std::string content;
    std::vector<std::string> args; // after "X -t"
    std::string out, err;
    int code;
    size_t fails_at = std::string::npos; // file offset from which reads fail
};

TEST(Read, TakesTheNumberedRead) {
    const std::string three = "one\ntwo\nthree\n", crlf = "one\r\ntwo\r\nthree";
    const std::string cant = "tarvelix: can't read from nosuch\n",
                      invalid = "Invalid number encountered\n";
    const std::string long_name(1000, 'n');
    const std::vector<ReadCase> cases = {
        {three, {"read", "f", "2"}, "set X=two\n", "", 0},
        {crlf, {"read", "f", "2"}, "set X=two\n", "", 0},
        {crlf, {"read", "f", "3"}, "set X=three\n", "", 0},
        {three, {"read", "f", "4"}, "set X=\n", "", 1},
        {three, {"read", "f", "0"}, "set X=\n", "", 0},
        {three, {"read", "f", "-1"}, "set X=\n", "", 1},
        {three, {"read", "f", "2147483647"}, "set X=\n", "", 1},
        {three, {"read", "f", "x"}, invalid, "", 12},
        {three, {"read", "nosuch", "x"}, "set X=\n", cant, 2},
        {three, {"-q", "read", "nosuch", "1"}, "set X=\n", "", 2},
        {three,
         {"read", long_name, "1"},
         "set X=\n",
         "tarvelix: can't read from " + long_name + "\n",
         2},
        {"a\x1a"
         "b\n",
         {"read", "f", "2"},
         "set X=\n",
         "",
         1},
        {A255 + "\n" + three, {"read", "f", "1"}, "set X=" + A255 + "\n", "", 0},
        {A255 + "\n" + three, {"read", "f", "2"}, "set X=\n", "", 0},
        {A255 + "\r\n" + three, {"read", "f", "3"}, "set X=one\n", "", 0},
        {"x\ry\r\n", {"read", "f", "1"}, "set X=x\ry\n", "", 0},
        // A read error ends the text where it happens.
        {three, {"read", "f", "1"}, "set X=one\n", "", 0, 6},
        {three, {"read", "f", "2"}, "set X=tw\n", "", 0, 6},
        {three, {"read", "f", "3"}, "set X=\n", "", 1, 6},
    };
    for (const ReadCase &c : cases) {
        fake_reset();
        fake().files["f"] = c.content;
        fake().read_fails_at = c.fails_at;
        RunResult r = run_test_mode(c.args);
        std::string label = c.args[c.args.size() - 2].substr(0, 8) + " " + c.args.back();
        EXPECT_EQ(r.out, c.out) << label;
        EXPECT_EQ(r.err, c.err) << label;
        EXPECT_EQ(r.code, c.code) << label;
        EXPECT_EQ(fake().open_handles, 0) << label;
    }
}

TEST(Read, UpperCaseFoldsNameAndResult) {
    fake_reset();
    fake().files["F"] = "one\ntwo\n";
    RunResult r = run({"X", "-u", "read", "f", "2"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(fake().env["X"], "TWO");
}

struct AskCase {
    std::vector<std::string> args; // after "X -v"
    std::string input;
    std::string out; // question and "set" line
    int code;
    size_t consumed; // bytes of standard input taken
};

TEST(Ask, AnswerNumberFromTheReply) {
    const std::string q = "Continue?";
    const std::vector<AskCase> cases = {
        {{"ask"}, "y\nrest", "set X=y\n\n", 1, 2},
        {{"ask"}, "N\r\nrest", "set X=N\n\n", 2, 3},
        {{"ask"}, "x\n", "set X=x\n\n", 0, 2},
        {{"ask"}, "\n", "set X=\n", 4, 1},
        {{"ask"}, "", "set X=\n", 4, 0},
        {{"ask"}, "\x1ay\n", "set X=\n", 4, 1},
        {{"ask"}, " \t\v\f\r y", "set X=y\n", 1, 7},
        {{"ask"}, "  yes\nno\n", "set X=yes\n\n", 1, 6},
        {{"ask"}, "a\rb\r\n", "set X=a\rb\n\n", 0, 5},
        {{"ask"}, "n\r", "set X=n\r\n", 2, 2},
        {{"ask", q, "[abc]"}, "B\n", q + "set X=B\n\n", 2, 2},
        {{"ask", "[abc]", q}, "B\n", q + "set X=B\n\n", 2, 2},
        {{"-t", "ask", q, "[abc]"}, "c\n", "set X=c\n\n", 3, 2},
        {{"-q", "ask", q}, "n", q + "set X=n\n", 2, 1},
        {{"-u", "ask", "go on?"}, "n", "GO ON?set X=N\n", 2, 1},
        {{"ask", "[YN]"}, "y", "set X=y\n", 1, 1},
        {{"ask", "[]"}, "", "set X=\n", 2, 0},
        {{"ask", "[", "x"}, "", "xset X=\n", 4, 0},
        {{"ask", "[ab", "[ab]"}, "b", "[abset X=b\n", 2, 1},
        {{"ask", "[a]b"}, "a", "[a]bset X=a\n", 0, 1},
        {{"ask", "", "[ab]"}, "b", "set X=b\n", 2, 1},
        {{"ask", "[ab]", "[cd]"}, "d", "set X=d\n", 2, 1},
        {{"ask", "one", "two"}, "", "twoset X=\n", 4, 0},
        {{"ask"}, std::string(300, 'y'), "set X=" + std::string(255, 'y') + "\n", 1, 255},
        // A CR as the 255th character: the byte after it stays for the next reader.
        {{"ask"}, A254 + "\rXYZ\n", "set X=" + A254 + "\r\n", 0, 255},
        {{"ask"}, A254 + "\r\nXYZ", "set X=" + A254 + "\n\n", 0, 256},
    };
    for (const AskCase &c : cases) {
        fake_reset();
        fake().input = c.input;
        std::vector<std::string> args{"X", "-v"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        RunResult r = run(args);
        std::string label = c.args.back() + " <" + c.input.substr(0, 10) + ">";
        EXPECT_EQ(r.out, c.out) << label;
        EXPECT_EQ(r.code, c.code) << label;
        EXPECT_EQ(fake().input_pos, c.consumed) << label;
    }
}

TEST(Ask, StoresTheReplyWithItsLineEnd) {
    fake_reset();
    fake().input = "  yes\r\n";
    RunResult r = run({"X", "ask", "Go?"});
    EXPECT_EQ(r.out, "Go?");
    EXPECT_EQ(fake().flushed_at_input, 3u); // the question is shown before the reply is read
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(fake().env["X"], "yes\n");
}

} // namespace
