// Text-mode reads over raw bytes, read into a large buffer. A file is read
// rather than mapped into memory: a read of a file that another program
// shortens, or of a network file whose page cannot be read, simply ends or
// fails, where a mapped page would end the process with a signal or an
// exception. Measured on Linux, reading costs about what mapping does. Skipping
// counts line ends a block at a time and takes reads one by one only near long
// lines, Ctrl-Z and the read that is wanted.
#include "support/text_file.h"

#include <cstring>

#include "platform/platform.h"

// Large enough that refills are rare; static, so nothing is allocated.
static char shared_buffer[128 * 1024];
// UTF-16 bytes before they are decoded into the reader's buffer.
static char utf16_bytes[32 * 1024];

// ---- UTF-16 ------------------------------------------------------------------

// Decodes whole characters of UTF-16 bytes into UTF-8 at out, which has room
// for 2 bytes per byte of input. Returns the bytes written; *used receives the
// bytes of input decoded (the rest begin a character still incomplete).
static size_t decode_utf16(const char *bytes, size_t length, TextEncoding encoding, bool at_end,
                           char *out, size_t *used) {
    size_t i = 0, written = 0;
    while (i + 2 <= length) {
        unsigned unit = text_unit(bytes + i, encoding);
        if (is_high_surrogate(unit) && i + 4 > length && !at_end)
            break; // its partner may follow
        unsigned next = i + 4 <= length ? text_unit(bytes + i + 2, encoding) : 0;
        bool pair = false;
        written += utf8_encode(text_decode_unit(unit, next, &pair), out + written);
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
    *reader = TextReader{handle, buffer, 0,    0,    false, buffer, capacity, TextEncoding::BYTES,
                         {},     0,      true, false};
    size_t mark = 0;
    // The first three bytes tell the encoding; what follows a mark stays.
    char first[3];
    size_t got = 0;
    long count = 0;
    while (got < sizeof first && (count = platform_read(handle, first + got, 3 - got)) > 0)
        got += static_cast<size_t>(count);
    if (count <= 0)
        reader->exhausted = true;
    reader->encoding = text_mark(first, got, &mark);
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

// ---- Reads -----------------------------------------------------------------

bool text_read_piece(TextReader *reader, TextPiece *piece) {
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
