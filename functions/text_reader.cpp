// Text-mode reads over raw bytes. A file is mapped when the platform can, so
// that it is scanned where it lies; other sources are read into a large
// buffer. Skipping counts line ends a block at a time and takes reads one by
// one only near long lines, Ctrl-Z and the read that is wanted.
#include "functions/text_reader.h"

#include <cstring>

#include "platform/platform.h"

// Large enough that refills are rare; static, so nothing is allocated.
static char shared_buffer[128 * 1024];
// UTF-16 bytes before they are decoded into the reader's buffer.
static char utf16_bytes[32 * 1024];

// ---- Byte order marks and UTF-16 ------------------------------------------

// The encoding that the first bytes of a source announce, and the length of
// the mark (0 without one).
static TextEncoding mark_of(const char *bytes, size_t length, size_t *mark_length) {
    const auto *b = reinterpret_cast<const unsigned char *>(bytes);
    *mark_length = 0;
    if (length >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) {
        *mark_length = 3;
        return TextEncoding::BYTES;
    }
    if (length >= 2 && ((b[0] == 0xFF && b[1] == 0xFE) || (b[0] == 0xFE && b[1] == 0xFF))) {
        *mark_length = 2;
        return b[0] == 0xFF ? TextEncoding::UTF16LE : TextEncoding::UTF16BE;
    }
    return TextEncoding::BYTES;
}

static unsigned unit_at(const char *bytes, TextEncoding encoding) {
    auto first = static_cast<unsigned char>(bytes[0]),
         second = static_cast<unsigned char>(bytes[1]);
    return encoding == TextEncoding::UTF16LE ? first | second << 8 : first << 8 | second;
}

static bool is_high_surrogate(unsigned unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

static bool is_low_surrogate(unsigned unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

static uint32_t combine(unsigned high, unsigned low) {
    return 0x10000 + ((static_cast<uint32_t>(high) - 0xD800) << 10) + (low - 0xDC00);
}

inline constexpr uint32_t REPLACEMENT_CHARACTER = 0xFFFD;

// The code point that a unit begins; *pair is set when it takes the next unit
// with it. next is 0 when there is none. A lone surrogate is U+FFFD.
static uint32_t decode_unit(unsigned unit, unsigned next, bool *pair) {
    *pair = is_high_surrogate(unit) && is_low_surrogate(next);
    if (*pair)
        return combine(unit, next);
    return is_high_surrogate(unit) || is_low_surrogate(unit) ? REPLACEMENT_CHARACTER : unit;
}

// Decodes whole characters of UTF-16 bytes into UTF-8 at out, which has room
// for 2 bytes per byte of input. Returns the bytes written; *used receives the
// bytes of input decoded (the rest begin a character still incomplete).
static size_t decode_utf16(const char *bytes, size_t length, TextEncoding encoding, bool at_end,
                           char *out, size_t *used) {
    size_t i = 0, written = 0;
    while (i + 2 <= length) {
        unsigned unit = unit_at(bytes + i, encoding);
        if (is_high_surrogate(unit) && i + 4 > length && !at_end)
            break; // its partner may follow
        unsigned next = i + 4 <= length ? unit_at(bytes + i + 2, encoding) : 0;
        bool pair = false;
        written += utf8_encode(decode_unit(unit, next, &pair), out + written);
        i += pair ? 4 : 2;
    }
    *used = i;
    return written;
}

// ---- Filling the buffer ----------------------------------------------------

// Reads more of a source that is read: raw bytes straight into the buffer, or
// UTF-16 decoded into it. Marks the reader exhausted at the end of the data or
// on a read error, which ends the text too.
static void read_more(TextReader *reader) {
    size_t room = reader->capacity - reader->end;
    if (reader->encoding == TextEncoding::BYTES) {
        long count = platform_read(reader->handle, reader->buffer + reader->end, room);
        if (count <= 0)
            reader->exhausted = true;
        else
            reader->end += static_cast<size_t>(count);
        return;
    }
    // Each UTF-16 byte gives at most 2 bytes of UTF-8: read what fits.
    size_t wanted = room / 2 - reader->carry_count;
    if (wanted > sizeof utf16_bytes - reader->carry_count)
        wanted = sizeof utf16_bytes - reader->carry_count;
    memcpy(utf16_bytes, reader->carry, reader->carry_count);
    long count = platform_read(reader->handle, utf16_bytes + reader->carry_count, wanted);
    if (count <= 0)
        reader->exhausted = true;
    size_t length = reader->carry_count + (count > 0 ? static_cast<size_t>(count) : 0);
    size_t used = 0;
    reader->end += decode_utf16(utf16_bytes, length, reader->encoding, reader->exhausted,
                                reader->buffer + reader->end, &used);
    reader->carry_count = length - used;
    memcpy(reader->carry, utf16_bytes + used, reader->carry_count);
}

// Brings at least want bytes into view, or all that are left. The bytes not
// yet taken move to the front of the buffer, so a CR LF pair is never split.
static void ensure(TextReader *reader, size_t want) {
    if (reader->exhausted || reader->end - reader->start >= want)
        return;
    size_t left = reader->end - reader->start;
    memmove(reader->buffer, reader->buffer + reader->start, left);
    reader->start = 0;
    reader->end = left;
    // A few bytes of room are kept: UTF-16 decodes a character at a time.
    const size_t least_room = 16;
    while (!reader->exhausted && reader->end < want && reader->capacity - reader->end >= least_room)
        read_more(reader);
}

// Ends the text at a Ctrl-Z among the first look bytes in view; returns how
// many of them are text.
static size_t before_text_end(TextReader *reader, size_t look) {
    const void *stop = memchr(reader->text + reader->start, TEXT_END_BYTE, look);
    if (stop == nullptr)
        return look;
    reader->end = static_cast<size_t>(static_cast<const char *>(stop) - reader->text);
    reader->exhausted = true;
    return reader->end - reader->start;
}

// ---- Starting ----------------------------------------------------------------

void text_reader_start_with(TextReader *reader, int handle, char *buffer, size_t capacity) {
    *reader = TextReader{handle, buffer,   0,       0,    false,
                         buffer, capacity, nullptr, 0,    TextEncoding::BYTES,
                         {},     0,        true,    false};
    uint64_t size = 0;
    const char *mapping = platform_map(handle, &size);
    size_t mark = 0;
    if (mapping != nullptr) {
        TextEncoding encoding = mark_of(mapping, size < 3 ? size : 3, &mark);
        if (encoding == TextEncoding::BYTES) {
            reader->mapping = mapping;
            reader->mapping_size = size;
            reader->text = mapping;
            reader->start = mark;
            reader->end = static_cast<size_t>(size);
            reader->exhausted = true;
            return;
        }
        // UTF-16 is decoded into the buffer, from the handle as it stands.
        platform_unmap(mapping, size);
    }
    // The first three bytes tell the encoding; what follows a mark stays.
    char first[3];
    size_t got = 0;
    long count = 0;
    while (got < sizeof first && (count = platform_read(handle, first + got, 3 - got)) > 0)
        got += static_cast<size_t>(count);
    if (count <= 0)
        reader->exhausted = true;
    reader->encoding = mark_of(first, got, &mark);
    if (reader->encoding == TextEncoding::BYTES) {
        memcpy(buffer, first + mark, got - mark);
        reader->end = got - mark;
    } else {
        memcpy(reader->carry, first + mark, got - mark);
        reader->carry_count = got - mark;
    }
}

void text_reader_start(TextReader *reader, int handle) {
    text_reader_start_with(reader, handle, shared_buffer, sizeof shared_buffer);
}

void text_reader_finish(TextReader *reader) {
    if (reader->mapping != nullptr)
        platform_unmap(reader->mapping, reader->mapping_size);
    reader->mapping = nullptr;
}

// ---- Reads -----------------------------------------------------------------

bool text_read_piece(TextReader *reader, TextPiece *piece) {
    if (reader->mapping == nullptr)
        ensure(reader, READ_WINDOW);
    size_t available = reader->end - reader->start;
    size_t look = available < READ_WINDOW ? available : READ_WINDOW;
    const char *text = reader->text + reader->start;
    const char *line_end = static_cast<const char *>(memchr(text, '\n', look));
    // Only the bytes up to the line end need be free of Ctrl-Z.
    if (line_end != nullptr)
        look = static_cast<size_t>(line_end - text) + 1;
    look = before_text_end(reader, look);
    if (look == 0)
        return false;
    available = reader->end - reader->start;
    if (line_end != nullptr && line_end >= text + look)
        line_end = nullptr; // a Ctrl-Z came first
    // The line's characters in view: all of them when its end is in view.
    bool whole = line_end != nullptr || (reader->exhausted && look == available);
    size_t length = line_end != nullptr ? static_cast<size_t>(line_end - text) : look;
    bool crlf = line_end != nullptr && length > 0 && text[length - 1] == '\r';
    if (crlf)
        --length;

    // Fewer than 255 bytes are fewer than 255 characters, however written.
    bool eight_bit = !reader->line_start && reader->line_eight_bit;
    bool line_ends = whole && length < LINE_READ_MAX;
    size_t cut = length;
    if (!line_ends) {
        // A long line: its first read decides how it is written.
        if (reader->line_start)
            reader->line_eight_bit =
                whole ? !utf8_is_valid(text, length) : !utf8_is_valid_prefix(text, length);
        eight_bit = reader->line_eight_bit;
        cut = eight_bit ? (length < LINE_READ_MAX ? length : LINE_READ_MAX)
                        : utf8_skip(text, length, LINE_READ_MAX);
        size_t characters = eight_bit ? cut : utf8_count(text, cut);
        line_ends = whole && cut == length && characters < LINE_READ_MAX;
    }
    if (line_ends) {
        *piece = TextPiece{text, length, line_end != nullptr, eight_bit};
        reader->start += line_end != nullptr ? length + (crlf ? 2 : 1) : length;
        reader->line_start = line_end != nullptr;
    } else {
        // 255 characters, and the line goes on in the next read.
        *piece = TextPiece{text, cut, false, eight_bit};
        reader->start += cut;
        reader->line_start = false;
    }
    return true;
}

// Blocks of bytes counted at once; a block holding a line end means no line
// around it can be long, as a run of 255 bytes without one spans a whole block.
inline constexpr size_t BLOCK = 128;
// Bytes looked through for a Ctrl-Z at once, before their blocks are counted.
inline constexpr size_t STRETCH = 64 * BLOCK;

// Counts the line ends of a block: a plain loop over a small counter, which
// the compiler turns into vector instructions.
static unsigned block_line_ends(const char *block) {
    unsigned char line_ends = 0;
    for (size_t i = 0; i < BLOCK; ++i)
        line_ends = static_cast<unsigned char>(line_ends + (block[i] == '\n'));
    return line_ends;
}

// Passes over whole lines that are surely one read each, fewer than *left of
// them, a block at a time: in a stretch of blocks that each hold a line end and
// no Ctrl-Z, every line (or rest of a line) has fewer than 255 bytes.
static void skip_short_lines(TextReader *reader, uint32_t *left) {
    if (reader->mapping == nullptr)
        ensure(reader, reader->capacity / 2);
    const char *text = reader->text + reader->start;
    size_t available = reader->end - reader->start;
    uint32_t lines = 0;
    size_t passed = 0;
    bool going = true;
    while (going && available - passed >= BLOCK) {
        size_t stretch = available - passed < STRETCH ? available - passed : STRETCH;
        const void *text_end = memchr(text + passed, TEXT_END_BYTE, stretch);
        if (text_end != nullptr)
            stretch = static_cast<size_t>(static_cast<const char *>(text_end) - (text + passed));
        size_t stop = passed + stretch - stretch % BLOCK;
        going = text_end == nullptr;
        while (passed < stop) {
            unsigned line_ends = block_line_ends(text + passed);
            if (line_ends == 0 || lines + line_ends >= *left) {
                going = false;
                break;
            }
            lines += line_ends;
            passed += BLOCK;
        }
    }
    if (lines == 0)
        return;
    while (text[passed - 1] != '\n')
        --passed; // back to the last line end passed
    reader->start += passed;
    reader->line_start = true;
    *left -= lines;
}

uint32_t text_skip_reads(TextReader *reader, uint32_t count) {
    uint32_t left = count;
    TextPiece piece;
    while (left > 0) {
        skip_short_lines(reader, &left);
        if (left == 0 || !text_read_piece(reader, &piece))
            break;
        --left;
    }
    return count - left;
}

size_t text_piece_utf8(const TextPiece &piece, char *out, size_t size) {
    if (!piece.eight_bit && utf8_is_valid(piece.text, piece.text_length)) {
        size_t length = piece.text_length < size ? piece.text_length : size;
        memcpy(out, piece.text, length);
        return length;
    }
    return platform_text_to_utf8(piece.text, piece.text_length, out, size);
}

// ---- One read of standard input, byte by byte --------------------------------

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
    TextEncoding encoding = mark_of(head, got > 0 ? static_cast<size_t>(got) : 0, &mark);
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
    unsigned unit = width == 1 ? static_cast<unsigned char>(next[0]) : unit_at(next, encoding);
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
        unsigned unit = unit_at(bytes, encoding);
        if (unit == static_cast<unsigned>(TEXT_END_BYTE))
            break;
        if (unit == '\r' && take_line_end(encoding)) {
            out[used++] = '\n';
            break;
        }
        char next[2];
        unsigned following = is_high_surrogate(unit) && platform_peek(PLATFORM_STDIN, next, 2) == 2
                                 ? unit_at(next, encoding)
                                 : 0;
        bool pair = false;
        uint32_t code_point = decode_unit(unit, following, &pair);
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
