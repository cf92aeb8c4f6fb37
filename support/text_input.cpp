// One read of standard input, taken byte by byte with peeks, so that nothing
// after it is taken from the input that the next command reads.
#include "support/text_input.h"

#include <cstring>

#include "platform/platform.h"
#include "support/text_mode.h"

// A line from the console: its CR LF becomes "\n", a Ctrl-Z ends it.
static size_t console_read(char *out, size_t length) {
    const void *stop = memchr(out, TEXT_END_BYTE, length);
    if (stop != nullptr)
        return static_cast<size_t>(static_cast<const char *>(stop) - out);
    if (length >= 2 && out[length - 2] == '\r' && out[length - 1] == '\n') {
        out[length - 2] = '\n';
        return length - 1;
    }
    return length;
}

// Takes count bytes, in as many reads as it takes (a pipe gives what it has);
// false when the input ends or fails first.
static bool take(char *bytes, size_t count) {
    size_t got = 0;
    long read = 0;
    while (got < count && (read = platform_read(PLATFORM_STDIN, bytes + got, count - got)) > 0)
        got += static_cast<size_t>(read);
    return got == count;
}

// The encoding of standard input, from the mark at the start of its file, or
// of a pipe when it is still there. A mark where reading stands is taken.
static TextEncoding input_encoding() {
    char head[3];
    long got = platform_read_head(PLATFORM_STDIN, head, sizeof head);
    bool is_file = got >= 0;
    if (!is_file)
        got = platform_peek(PLATFORM_STDIN, head, sizeof head);
    size_t mark = 0;
    TextEncoding encoding = text_mark(head, got > 0 ? static_cast<size_t>(got) : 0, &mark);
    if (mark > 0) {
        char next[3];
        long count = is_file ? platform_peek(PLATFORM_STDIN, next, mark) : got;
        if (count >= static_cast<long>(mark) && memcmp(is_file ? next : head, head, mark) == 0)
            take(next, mark);
    }
    return encoding;
}

// Takes one byte; false at the end or on an error.
static bool take_byte(char *byte) {
    return take(byte, 1);
}

// True, and the pair taken, when the next bytes are the line end after a CR.
static bool take_line_end(TextEncoding encoding) {
    char next[2];
    size_t width = encoding == TextEncoding::BYTES ? 1 : 2;
    if (platform_peek(PLATFORM_STDIN, next, width) != static_cast<long>(width))
        return false;
    unsigned unit = width == 1 ? static_cast<unsigned char>(next[0]) : text_unit(next, encoding);
    if (unit != '\n')
        return false;
    take(next, width);
    return true;
}

// One read of 8-bit or UTF-8 bytes into raw. The bytes after a lead byte are
// taken only when they complete its character.
static size_t read_bytes(char *raw) {
    size_t used = 0;
    char byte = 0;
    for (size_t characters = 0; characters < LINE_READ_MAX && take_byte(&byte); ++characters) {
        if (byte == TEXT_END_BYTE)
            break;
        if (byte == '\r' && take_line_end(TextEncoding::BYTES)) {
            raw[used++] = '\n';
            break;
        }
        raw[used++] = byte;
        if (byte == '\n')
            break;
        if (static_cast<unsigned char>(byte) >= 0xC0) {
            char sequence[UTF8_MAX];
            sequence[0] = byte;
            long more = platform_peek(PLATFORM_STDIN, sequence + 1, UTF8_MAX - 1);
            size_t step = utf8_step(sequence, 1 + static_cast<size_t>(more > 0 ? more : 0));
            if (step > 1 && take(raw + used, step - 1))
                used += step - 1;
        }
    }
    return used;
}

// One read of UTF-16 into UTF-8 at out.
static size_t read_utf16(TextEncoding encoding, char *out) {
    size_t used = 0;
    char bytes[2];
    for (size_t characters = 0; characters < LINE_READ_MAX; ++characters) {
        if (!take(bytes, 2))
            break;
        unsigned unit = text_unit(bytes, encoding);
        if (unit == static_cast<unsigned>(TEXT_END_BYTE))
            break;
        if (unit == '\r' && take_line_end(encoding)) {
            out[used++] = '\n';
            break;
        }
        char next[2];
        unsigned following = is_high_surrogate(unit) && platform_peek(PLATFORM_STDIN, next, 2) == 2
                                 ? text_unit(next, encoding)
                                 : 0;
        bool pair = false;
        uint32_t code_point = text_decode_unit(unit, following, &pair);
        if (pair)
            take(next, 2);
        used += utf8_encode(code_point, out + used);
        if (unit == '\n')
            break;
    }
    return used;
}

size_t text_read_line_unbuffered(char *out, size_t size) {
    char typed[READ_BYTES_MAX + 2];
    long typed_length = platform_read_console_line(typed, sizeof typed, LINE_READ_MAX);
    if (typed_length >= 0) {
        size_t length = console_read(typed, static_cast<size_t>(typed_length));
        length = length < size ? length : size;
        memcpy(out, typed, length);
        return length;
    }
    TextEncoding encoding = input_encoding();
    if (encoding != TextEncoding::BYTES) {
        char decoded[READ_BYTES_MAX + 1];
        size_t length = read_utf16(encoding, decoded);
        length = length < size ? length : size;
        memcpy(out, decoded, length);
        return length;
    }
    char raw[READ_BYTES_MAX + 1];
    size_t length = read_bytes(raw);
    TextPiece piece{raw, length, false, false};
    return text_piece_utf8(piece, out, size);
}
