// Text-mode reads, read and ask.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/unicode.h"
#include "support/text_reader.h"
#include "tests/fake_platform.h"

namespace {

const std::string A255(255, 'a');

// count times the character U+00E9, as UTF-8.
std::string E(size_t count) {
    std::string text;
    for (size_t i = 0; i < count; ++i)
        text += "\xc3\xa9";
    return text;
}

// UTF-16 BE of ASCII text.
std::string be(const std::string &text) {
    std::string bytes;
    for (char c : text)
        bytes += std::string{'\0', c};
    return bytes;
}

// UTF-16 LE of text made of U+00E9 only.
std::string U16(const std::string &e_text) {
    std::string bytes;
    for (size_t i = 0; i < e_text.size(); i += 2)
        bytes += std::string("\xe9\0", 2);
    return bytes;
}
const std::string A254(254, 'a');

// Bytes of the fake's 8-bit text as UTF-8.
std::string eight_bit_to_utf8(const std::string &bytes) {
    std::string text(4 * bytes.size(), '\0');
    text.resize(platform_text_to_utf8(bytes.data(), bytes.size(), text.data(), text.size()));
    return text;
}

// What text mode makes of raw bytes without a byte order mark, taken in reads:
// the plain definition. A line of valid UTF-8 counts its characters, any other
// line the characters of the fake's 8-bit text, and is converted.
std::vector<std::string> expected_reads(const std::string &raw) {
    std::string text;
    for (size_t i = 0; i < raw.size() && raw[i] != '\x1a'; ++i) {
        if (!(raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n'))
            text += raw[i];
    }
    std::vector<std::string> reads;
    for (size_t begin = 0; begin < text.size();) {
        size_t end = text.find('\n', begin);
        std::string line = text.substr(begin, end == std::string::npos ? end : end - begin);
        begin = end == std::string::npos ? text.size() : end + 1;
        bool utf8 = utf8_is_valid(line.data(), line.size());
        std::vector<std::string> characters;
        for (size_t i = 0; i < line.size();) {
            size_t step = utf8 ? utf8_step(line.data() + i, line.size() - i)
                               : fake_text_step(line.data() + i, line.size() - i);
            characters.push_back(utf8 ? line.substr(i, step)
                                      : eight_bit_to_utf8(line.substr(i, step)));
            i += step;
        }
        if (end != std::string::npos)
            characters.emplace_back("\n");
        for (size_t i = 0; i < characters.size(); i += 255) {
            std::string read;
            for (size_t j = i; j < characters.size() && j < i + 255; ++j)
                read += characters[j];
            reads.push_back(read);
        }
    }
    return reads;
}

// A fake file read through a reader with a buffer of this capacity, from a
// platform that gives at most chunk bytes a read (0: all).
struct ReaderRun {
    TextReader reader;
    ReaderRun(const std::string &raw, size_t capacity, size_t chunk, bool double_byte) {
        static char buffer[4096];
        fake_reset();
        fake().files["f"] = raw;
        fake().read_chunk = chunk;
        fake().double_byte = double_byte;
        text_reader_start_with(&reader, platform_open_read("f"), buffer, capacity);
    }
    ~ReaderRun() { platform_close(reader.handle); }
    ReaderRun(const ReaderRun &) = delete;
    ReaderRun &operator=(const ReaderRun &) = delete;
};

// A found read as UTF-8 with its line end, or "(none)".
std::string piece_text(bool found, const TextPiece &piece) {
    if (!found)
        return "(none)";
    char text[2 * READ_BYTES_MAX];
    size_t length = text_to_utf8(piece, text, sizeof text);
    return std::string(text, length) + (piece.has_line_end ? "\n" : "");
}

// Each read by number, and the last read that begins with "a" (in either
// case), each from a reader of its own, through buffers small and large and
// platform reads of every size.
void check_reader(const std::string &raw, const std::vector<std::string> &want,
                  bool double_byte = false) {
    std::string last_a = "(none)";
    for (const std::string &read : want) {
        if (!read.empty() && (read[0] == 'a' || read[0] == 'A'))
            last_a = read;
    }
    for (size_t capacity : {TEXT_BUFFER_MIN, size_t{4096}}) {
        for (size_t chunk : {0, 1, 2, 3, 7, 255, 256, 257, 511}) {
            std::string label = std::to_string(raw.size()) + " bytes, capacity " +
                                std::to_string(capacity) + ", chunk " + std::to_string(chunk);
            for (size_t number = 1; number <= want.size() + 1; ++number) {
                ReaderRun run(raw, capacity, chunk, double_byte);
                TextPiece piece{};
                bool found = text_find_read(&run.reader, number, &piece);
                ASSERT_EQ(piece_text(found, piece),
                          number <= want.size() ? want[number - 1] : "(none)")
                    << label << ", read " << number;
            }
            ReaderRun run(raw, capacity, chunk, double_byte);
            TextPiece piece{};
            bool found = text_find_last_read(&run.reader, "A", &piece);
            ASSERT_EQ(piece_text(found, piece), last_a) << label << ", last read of a";
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
        // Characters, not bytes: 300 two-byte characters, as UTF-8 and as 8-bit text.
        {E(300) + "\n", {E(255), E(45) + "\n"}},
        {E(254) + "\r\n" + b, {E(254) + "\n", b}},
        {E(255) + "\n", {E(255), "\n"}},

        {std::string(300, '\xe9') + "\n", {E(255), E(45) + "\n"}},
        {"a\xe9\n\xc3\xa9\n", {"a\xc3\xa9\n", "\xc3\xa9\n"}},
    };
    for (const auto &c : cases) {
        ASSERT_EQ(expected_reads(c.raw), c.reads) << c.raw.size();
        check_reader(c.raw, c.reads);
    }
}

TEST(TextReader, HonoursByteOrderMarks) {
    const struct {
        std::string raw;
        std::vector<std::string> reads;
    } cases[] = {
        {"\xef\xbb\xbfSET QORCOD=4\r\n\xe9", {"SET QORCOD=4\n", "\xc3\xa9"}},
        {"\xef\xbb", {"\xc3\xaf\xc2\xbb"}}, // no whole mark: 8-bit text
        {std::string("\xff\xfeS\0\r\0\n\0\xe9\0=\xd8\x00\xde\r\0\n\0x\0", 20),
         {"S\n", "\xc3\xa9\xf0\x9f\x98\x80\n", "x"}},
        {std::string("\xfe\xff\0a\0\x1a\0b", 8), {"a"}},
        {std::string("\xfe\xff\0a\0\r\0\n", 8) + be(std::string(300, 'b')) + be("\r\nc"),
         {"a\n", std::string(255, 'b'), std::string(45, 'b') + "\n", "c"}},
        // U+041A and U+010A hold the bytes of Ctrl-Z and LF, and are neither.
        {std::string("\xff\xfe\x1a\x04\x0a\x01\n\0", 8), {"\xd0\x9a\xc4\x8a\n"}},
        {std::string("\xff\xfe\0\xd8z\0", 6), {"\xef\xbf\xbdz"}}, // a lone surrogate
        {std::string("\xff\xfez\0\0\xd8", 6), {"z\xef\xbf\xbd"}}, // one at the very end
        {std::string("\xff\xfez\0\r\0\0\xd8\r\0\n\0", 12), {"z\r\xef\xbf\xbd\n"}},
        // U+1A00 holds the byte of Ctrl-Z at the odd offset of its unit.
        {std::string("\xff\xfe"
                     "a\0\0\x1a"
                     "b\0\n\0c\0",
                     12),
         {"a\xe1\xa8\x80"
          "b\n",
          "c"}},
        {"\xff\xfe" + U16(E(300)), {E(255), E(45)}},
    };
    for (const auto &c : cases)
        check_reader(c.raw, c.reads);
}

TEST(TextReader, OneRuleForTheWholeLine) {
    // UTF-8 until a byte far beyond the buffer makes the whole line 8-bit text,
    // which takes more reads; a valid line stays UTF-8 however long.
    const std::string b = "b\n", a600(600, 'a');
    const std::string raws[] = {
        E(600) + "\xff\n" + b,      E(600) + "\n" + b,   a600 + E(300) + "\xc3\n" + b,
        E(300) + a600 + "\xe9" + b, E(254) + "\x1a" + b, E(600) + "\xff",
    };
    ASSERT_EQ(expected_reads(raws[0]).size(), 6u);
    ASSERT_EQ(expected_reads(raws[1]).size(), 4u);
    for (const std::string &raw : raws)
        check_reader(raw, expected_reads(raw));
}

// count times the fake's double-byte character 0x95 0x5C.
std::string H(size_t count) {
    std::string text;
    for (size_t i = 0; i < count; ++i)
        text += "\x95\x5c";
    return text;
}

TEST(TextReader, DoubleByteCharactersAreWhole) {
    fake_reset();
    fake().double_byte = true;
    const std::string h = eight_bit_to_utf8(H(1)), b = "b\n";
    auto hs = [&](size_t count) {
        std::string text;
        for (size_t i = 0; i < count; ++i)
            text += h;
        return text;
    };
    // U+8868 as UTF-8 begins with a lead byte of the code page: 400 of them are
    // UTF-8, and with a stray byte at the end 8-bit text of two-byte characters.
    std::string utf8_ideographs;
    for (int i = 0; i < 400; ++i)
        utf8_ideographs += "\xe8\xa1\xa8";
    const struct {
        std::string raw;
        std::vector<std::string> reads;
    } cases[] = {
        {H(200) + "\nnext\n", {hs(200) + "\n", "next\n"}},
        {H(300) + "\n" + b, {hs(255), hs(45) + "\n", b}},
        {"x" + H(254) + "\r\n" + b, {"x" + hs(254), "\n", b}},
        {H(600) + "\n", {hs(255), hs(255), hs(90) + "\n"}},
        {H(2) + "\x95\r\n" + b, {hs(2) + "\xc2\x95\n", b}}, // a lead byte ends the line
        {utf8_ideographs + "\n",
         {utf8_ideographs.substr(0, 765), utf8_ideographs.substr(765) + "\n"}},
    };
    for (const auto &c : cases) {
        fake().double_byte = true;
        ASSERT_EQ(expected_reads(c.raw), c.reads) << c.raw.size();
        check_reader(c.raw, c.reads, true);
    }
    // A combining accent (0xCC 0x81) ends in a lead byte: as 8-bit text its
    // characters straddle those of UTF-8 the other way.
    std::string accents;
    for (int i = 0; i < 400; ++i)
        accents += "\xcc\x81x";
    for (const std::string &raw : {utf8_ideographs + "\xff\n", accents + "\n", accents + "\xff"}) {
        fake().double_byte = true;
        check_reader(raw, expected_reads(raw), true);
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
    // A Ctrl-Z after many short lines, where they are counted a block at a time.
    std::string lines;
    for (int i = 0; i < 150; ++i)
        lines += "ab\n";
    check_reader(lines + "a\x1a" + "b\n", expected_reads(lines + "a\x1a" + "b\n"));
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
    const std::string failed = "tarvelix: can't read from f\n";
    std::string lines;
    for (int i = 1; i <= 100000; ++i)
        lines += "line " + std::to_string(i) + "\n";
    // A line that goes on after its first LINE_FORM_BYTES (and then cannot be
    // read): its form is already decided by them.
    const std::string endless = E(LINE_FORM_BYTES / 2 + 1000) + "\xff";
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
        // A Ctrl-Z ends a long line and the text, however much follows.
        {std::string(300, 'a') + "\x1a" + std::string(140000, 'b') + "\n",
         {"read", "f", "3"},
         "set X=\n",
         "",
         1},
        // A read that fails before the read asked for is known: at the first
        // byte, deep in a long file, inside a long line.
        {three, {"read", "f", "1"}, "set X=\n", failed, 2, 0},
        {three, {"read", "f", "1"}, "set X=one\n", "", 0, 6},
        {three, {"read", "f", "2"}, "set X=\n", failed, 2, 6},
        {"a\x1a"
         "b\n",
         {"read", "f", "2"},
         "set X=\n",
         "",
         1,
         3}, // the text ended before
        {lines, {"read", "f", "95000"}, "set X=\n", failed, 2, 300000},
        {std::string(200000, 'a'), {"read", "f", "1"}, "set X=\n", failed, 2, 150000},
        {endless, {"read", "f", "1"}, "set X=" + E(255) + "\n", "", 0, endless.size()},
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
    bool double_byte = false;
    // Bytes taken from input that cannot be looked at (its whole line), where
    // they differ from consumed.
    size_t unseen = 0;
};

TEST(Ask, AnswerNumberFromTheReply) {
    const std::string q = "Continue?";
    std::string mixed;
    for (int i = 0; i < 254; ++i)
        mixed += "\xf2\x81\x81\x81";
    fake_reset();
    fake().double_byte = true;
    const std::string hs = eight_bit_to_utf8(H(200));
    fake().double_byte = false;
    auto latin1 = [](const std::string &bytes) { return eight_bit_to_utf8(bytes); };
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
        {{"ask"},
         std::string(300, 'y'),
         "set X=" + std::string(255, 'y') + "\n",
         1,
         255,
         false,
         300},
        // A reply of 255 characters leaves its line end to the next reader, as a read does.
        {{"ask"}, A255 + "\r\nrest", "set X=" + A255 + "\n", 0, 255, false, 257},
        // A CR as the 255th character: the byte after it stays for the next reader.
        {{"ask"}, A254 + "\rXYZ\n", "set X=" + A254 + "\r\n", 0, 255, false, 259},
        {{"ask"}, A254 + "\r\nXYZ", "set X=" + A254 + "\n\n", 0, 256},
        // Byte order marks, 8-bit text, options beyond ASCII.
        {{"ask"}, std::string("\xff\xfey\0\r\0\n\0r", 9), "set X=y\n\n", 1, 8},
        {{"ask"}, "\xef\xbb\xbfn\n", "set X=n\n\n", 2, 5},
        {{"ask"}, std::string("\xfe\xff\0n\0\r\0\n\0x", 10), "set X=n\n\n", 2, 8},
        {{"ask"}, std::string("\xff\xfe=\xd8\0\xde\n\0x", 9), "set X=\xf0\x9f\x98\x80\n\n", 0, 8},
        {{"ask"}, "\xe9\n", "set X=\xc3\xa9\n\n", 0, 2},
        {{"ask", "[\xc3\xa9\xc3\xa0]"}, "\xc3\xa0\n", "set X=\xc3\xa0\n\n", 2, 3},
        // One rule for the whole line, as for read: UTF-8 sequences among other
        // bytes are 8-bit text, of which a read takes 255 characters; a stray
        // byte beyond what a look sees leaves the line UTF-8.
        {{"ask"},
         "\xff" + mixed,
         "set X=" + latin1(("\xff" + mixed).substr(0, 255)) + "\n",
         0,
         255,
         false,
         1017},
        {{"ask"},
         E(300) + "\xff\n",
         "set X=" + latin1(E(300).substr(0, 255)) + "\n",
         0,
         255,
         false,
         602},
        // Without a look, a line that does not end in the view's 4,096 bytes ends there.
        {{"ask"}, E(2100) + "\xff\n", "set X=" + E(255) + "\n", 0, 510, false, 4096},
        {{"ask"}, H(200) + "\nrest", "set X=" + hs + "\n\n", 0, 401, true},
    };
    // From a file and from a pipe; whole reads, and one byte a read, as a pipe
    // may give them; and from a pipe that cannot be looked at.
    for (int source = 0; source < 4; ++source) {
        for (const AskCase &c : cases) {
            fake_reset();
            fake().input = c.input;
            fake().input_pipe = source >= 2;
            fake().peek_fails = source == 3;
            size_t chunk = source == 1 ? 1 : 0;
            fake().read_chunk = chunk;
            fake().double_byte = c.double_byte;
            std::vector<std::string> args{"X", "-v"};
            args.insert(args.end(), c.args.begin(), c.args.end());
            RunResult r = run(args);
            std::string label = c.args.back() + " <" + c.input.substr(0, 10) + ">";
            EXPECT_EQ(r.out, c.out) << label << " chunk " << chunk;
            EXPECT_EQ(r.code, c.code) << label;
            EXPECT_EQ(fake().input_pos, source == 3 && c.unseen > 0 ? c.unseen : c.consumed)
                << label << " source " << source;
        }
    }
}

TEST(Ask, LaterReadersKnowTheMarkAndAConsoleGivesItsLine) {
    // A second ask on the same UTF-16 file finds the mark at the file's start.
    fake_reset();
    fake().input = std::string("\xff\xfey\0\r\0\n\0n\0\r\0\n\0", 14);
    EXPECT_EQ(run({"a", "-t", "ask"}).out, "set A=y\n\n");
    EXPECT_EQ(run({"b", "-t", "ask"}).out, "set B=n\n\n");
    // A console line ends in CR LF; what goes beyond 255 characters is dropped,
    // and the next reader waits for a line of its own. Ctrl-Z ends the input.
    fake_reset();
    fake().console_input = true;
    fake().input = " \xc3\xa9\r\n" + std::string(300, 'y') + "\r\nn\r\n\x1a\r\n";
    EXPECT_EQ(run({"a", "-t", "ask", "[\xc3\xa9]"}).out, "set A=\xc3\xa9\n\n");
    EXPECT_EQ(run({"b", "-t", "ask"}).out, "set B=" + std::string(255, 'y') + "\n");
    EXPECT_EQ(run({"c", "-t", "ask"}).out, "set C=n\n\n");
    RunResult end = run({"d", "-t", "ask"});
    EXPECT_EQ(end.out, "set D=\n");
    EXPECT_EQ(end.code, 4);
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
