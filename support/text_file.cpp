// Text-mode reads of a file, read into a large buffer. A file is read rather
// than mapped into memory: a read of a file that another program shortens, or
// of a network file whose page cannot be read, simply ends or fails, where a
// mapped page would end the process with a signal or an exception. Measured
// on Linux, reading costs about what mapping does.
//
// A line of fewer than 255 units whose end is in view is one read, whatever
// its encoding; such lines are passed a block at a time when a read further on
// is wanted. Any other line is scanned character by character, by every way it
// may be written at once (see Way), and its reads are known at its end.
#include "support/text_file.h"

#include <cstring>

#include "platform/platform.h"

// Large enough that refills are rare; static, so nothing is allocated.
static char shared_buffer[128 * 1024];

// What a scan looks for: read number `number`, or when that is 0, the last
// read that begins with prefix.
struct Query {
    uint64_t number;
    const char *prefix;
    size_t prefix_length;
};

// ---- Filling the buffer ------------------------------------------------------

// Reads more raw bytes. The end of the data or a read error ends the text.
static void read_more(TextReader *reader) {
    long count =
        platform_read(reader->handle, reader->buffer + reader->end, reader->capacity - reader->end);
    if (count <= 0)
        reader->exhausted = true;
    else
        reader->end += static_cast<size_t>(count);
}

// Brings at least want bytes (at most the capacity) into view, or all that are
// left. The bytes not yet passed move to the front of the buffer, and the rest
// of it is filled.
static void ensure(TextReader *reader, size_t want) {
    if (reader->exhausted || reader->end - reader->start >= want)
        return;
    size_t left = reader->end - reader->start;
    memmove(reader->buffer, reader->buffer + reader->start, left);
    reader->start = 0;
    reader->end = left;
    while (!reader->exhausted && reader->end < want)
        read_more(reader);
}

// What a scan wants in view before it goes on: little, so that refills move few
// bytes to the front, yet enough for a block of UTF-16 or a long line's step.
inline constexpr size_t SMALL_VIEW = TEXT_BUFFER_MIN / 2;

// Looks at the line that begins where reading stands, in at most window bytes;
// a Ctrl-Z seen ends the text there.
static LineLook look_at_line(TextReader *reader, size_t window) {
    size_t available = reader->end - reader->start;
    if (window > available)
        window = available;
    LineLook look = text_look(reader->buffer + reader->start, window, reader->encoding,
                              reader->exhausted && window == available);
    if (look.text_end) {
        reader->end = reader->start + look.content;
        reader->exhausted = true;
    }
    return look;
}

// ---- Starting ----------------------------------------------------------------

void text_reader_start_with(TextReader *reader, int handle, char *buffer, size_t capacity) {
    reader->handle = handle;
    reader->buffer = buffer;
    reader->capacity = capacity;
    reader->start = 0;
    reader->end = 0;
    reader->exhausted = false;
    reader->reads = 0;
    // The first three bytes tell the encoding; what follows a mark stays.
    while (!reader->exhausted && reader->end < 3)
        read_more(reader);
    size_t mark = 0;
    reader->encoding = text_mark(buffer, reader->end, &mark);
    reader->start = mark;
}

void text_reader_start(TextReader *reader, int handle) {
    text_reader_start_with(reader, handle, shared_buffer, sizeof shared_buffer);
}

// ---- Long lines --------------------------------------------------------------

// One way of reading a long line: as UTF-8 (only while it stays valid), as
// 8-bit text, or as UTF-16. Each counts its own reads and keeps a copy of the
// read that the query wants, until the line's end tells which way holds.
struct Way {
    size_t at;         // where it stands, in bytes after the reader's start
    uint64_t reads;    // reads of the line finished
    size_t characters; // of the read being filled
    size_t length;     // bytes in `read`
    TextPiece piece;   // when found: the read wanted, in `kept`
    TextForm form;
    bool valid;   // every character so far is whole: a way of UTF-8 can fail
    bool copying; // the read being filled may be wanted: it goes to `read`
    bool found;
    char read[READ_BYTES_MAX];
    char kept[READ_BYTES_MAX];
};

static void start_way(Way *way, TextForm form, const TextReader *reader, const Query &query) {
    way->form = form;
    way->valid = true;
    way->at = 0;
    way->reads = 0;
    way->characters = 0;
    way->copying = query.number == 0 || reader->reads + 1 == query.number;
    way->length = 0;
    way->found = false;
}

// Ends the read being filled and keeps it when the query wants it.
static void end_read(const TextReader *reader, const Query &query, Way *way, bool has_line_end) {
    ++way->reads;
    uint64_t number = reader->reads + way->reads;
    if (way->copying) {
        TextPiece piece{way->read, way->length, has_line_end, way->form};
        if (query.number != 0 ? number == query.number
                              : text_starts_with(piece, query.prefix, query.prefix_length)) {
            memcpy(way->kept, way->read, way->length);
            way->piece = TextPiece{way->kept, way->length, has_line_end, way->form};
            way->found = true;
        }
    }
    way->characters = 0;
    way->length = 0;
    way->copying = query.number == 0 || number + 1 == query.number;
}

// True for a unit that is a character of its own, as it is: ASCII in an 8-bit
// form, any unit but a surrogate in UTF-16. Runs of them are taken at once.
static bool is_plain(const char *unit, TextForm form) {
    switch (form) {
    case TextForm::UTF16LE: return (static_cast<unsigned char>(unit[1]) & 0xF8) != 0xD8;
    case TextForm::UTF16BE: return (static_cast<unsigned char>(unit[0]) & 0xF8) != 0xD8;
    case TextForm::UTF8:
    case TextForm::EIGHT_BIT: break;
    }
    return static_cast<unsigned char>(unit[0]) < 0x80;
}

// Takes the characters of view that begin before stop; none reaches past
// limit, the end of what is known of them.
static void walk(const TextReader *reader, const Query &query, Way *way, const char *view,
                 size_t stop, size_t limit) {
    size_t unit = way->form == TextForm::UTF16LE || way->form == TextForm::UTF16BE ? 2 : 1;
    while (way->valid && way->at < stop) {
        const char *next = view + way->at;
        size_t room = LINE_READ_MAX - way->characters;
        size_t step = 0, characters = 0;
        while (characters < room && way->at + step < stop && is_plain(next + step, way->form))
            ++characters, step += unit;
        if (characters == 0) {
            step = text_step(way->form, next, limit - way->at);
            characters = 1;
            if (way->form == TextForm::UTF8 && !utf8_is_valid(next, step)) {
                way->valid = false; // bytes that are not UTF-8: the line is 8-bit text
                return;
            }
        }
        if (way->copying) {
            memcpy(way->read + way->length, next, step);
            way->length += step;
        }
        way->at += step;
        way->characters += characters;
        if (way->characters == LINE_READ_MAX)
            end_read(reader, query, way, false);
    }
}

// Takes the line at the reader's start, which is not one short read, whole;
// true when it holds the read that the query wants.
static bool take_long_line(TextReader *reader, const Query &query, TextPiece *piece) {
    Way ways[2];
    size_t count = 1;
    if (reader->encoding == TextEncoding::BYTES) {
        start_way(&ways[0], TextForm::UTF8, reader, query);
        start_way(&ways[1], TextForm::EIGHT_BIT, reader, query);
        count = 2;
    } else {
        start_way(&ways[0],
                  reader->encoding == TextEncoding::UTF16LE ? TextForm::UTF16LE : TextForm::UTF16BE,
                  reader, query);
    }
    for (;;) {
        ensure(reader, SMALL_VIEW);
        size_t available = reader->end - reader->start;
        LineLook look = look_at_line(reader, available);
        const char *view = reader->buffer + reader->start;
        // Until the line's end is in view, the last bytes wait for the rest of
        // their character (a UTF-16 pair, 4 bytes of UTF-8 or GB18030).
        size_t limit = look.ended ? look.content : available;
        size_t stop = look.ended ? look.content : available - UTF8_MAX;
        for (size_t i = 0; i < count; ++i)
            walk(reader, query, &ways[i], view, stop, limit);
        if (look.ended) {
            Way *way = ways[0].valid ? &ways[0] : &ways[1];
            bool has_line_end = look.line_end > 0;
            if (way->characters > 0 || has_line_end)
                end_read(reader, query, way, has_line_end);
            reader->reads += way->reads;
            reader->start += look.content + look.line_end;
            if (way->found) {
                memcpy(reader->kept, way->kept, way->piece.length);
                *piece = way->piece;
                piece->text = reader->kept;
            }
            return way->found;
        }
        // The bytes that every way still reading has passed are done with.
        size_t passed = ways[count - 1].at;
        if (ways[0].valid && ways[0].at < passed)
            passed = ways[0].at;
        reader->start += passed;
        for (size_t i = 0; i < count; ++i)
            ways[i].at -= ways[i].valid ? passed : 0;
    }
}

// ---- Short lines, a block at a time --------------------------------------------

// Units counted at once; a block holding a line end means no line around it
// can be long, as a run of 255 units without one spans a whole block.
inline constexpr size_t BLOCK = 128;
// Units looked through for a Ctrl-Z at once, before their blocks are counted.
inline constexpr size_t STRETCH = 64 * BLOCK;

// Counts the line ends of a block: plain loops over a small counter, which the
// compiler turns into vector instructions.
static unsigned block_line_ends(const char *block, TextEncoding encoding) {
    unsigned char line_ends = 0;
    if (encoding == TextEncoding::BYTES) {
        for (size_t i = 0; i < BLOCK; ++i)
            line_ends = static_cast<unsigned char>(line_ends + (block[i] == '\n'));
        return line_ends;
    }
    // Units compared as they lie in memory, whatever the machine's byte order.
    uint16_t line_end;
    memcpy(&line_end, encoding == TextEncoding::UTF16LE ? "\n\0" : "\0\n", 2);
    for (size_t i = 0; i < BLOCK; ++i) {
        uint16_t unit;
        memcpy(&unit, block + 2 * i, 2);
        line_ends = static_cast<unsigned char>(line_ends + (unit == line_end));
    }
    return line_ends;
}

// Passes over whole lines that are surely one read each, a block at a time,
// stopping before read number `number`: in a stretch of blocks that each hold
// a line end and no Ctrl-Z, every line has fewer than 255 units.
static void skip_short_lines(TextReader *reader, uint64_t number) {
    if (reader->reads + 1 >= number)
        return;
    uint64_t left = number - 1 - reader->reads;
    ensure(reader, SMALL_VIEW);
    size_t unit = text_unit_size(reader->encoding);
    const char *text = reader->buffer + reader->start;
    size_t available = reader->end - reader->start;
    uint64_t lines = 0;
    size_t passed = 0;
    bool going = true;
    while (going && available - passed >= BLOCK * unit) {
        size_t stretch = available - passed < STRETCH * unit ? available - passed : STRETCH * unit;
        stretch -= stretch % unit;
        size_t text_end = text_find_unit(text + passed, stretch, TEXT_END_BYTE, reader->encoding);
        going = text_end == stretch;
        size_t stop = passed + text_end - text_end % (BLOCK * unit);
        while (passed < stop) {
            unsigned line_ends = block_line_ends(text + passed, reader->encoding);
            if (line_ends == 0 || lines + line_ends >= left) {
                going = false;
                break;
            }
            lines += line_ends;
            passed += BLOCK * unit;
        }
    }
    if (lines == 0)
        return;
    // Back to the unit after the last line end passed.
    while (text_find_unit(text + passed - unit, unit, '\n', reader->encoding) != 0)
        passed -= unit;
    reader->start += passed;
    reader->reads += lines;
}

// ---- Reads -------------------------------------------------------------------

// False when the first byte of a line rules out the prefix, as it does for
// most lines: a quick look before the whole comparison.
static bool may_start_with(const TextPiece &line, const Query &query) {
    size_t first = line.form == TextForm::UTF16BE ? 1 : 0;
    return line.length > first && (line.text[first] | 0x20) == (query.prefix[0] | 0x20);
}

static bool scan(TextReader *reader, const Query &query, TextPiece *piece) {
    bool found = false;
    size_t unit = text_unit_size(reader->encoding);
    // The form of a short line is found only when it is wanted: the prefix is
    // ASCII, and compares the same in either form of bytes.
    TextForm form_unknown = text_line_form("", 0, reader->encoding, true);
    // A line of fewer than 255 units with its CR LF, or of 255 without a line end.
    size_t window = (LINE_READ_MAX + 2) * unit;
    for (;;) {
        if (query.number != 0)
            skip_short_lines(reader, query.number);
        ensure(reader, window);
        LineLook look = look_at_line(reader, window);
        if (look.ended && look.content == 0 && look.line_end == 0)
            return found; // the end of the text
        size_t characters_most =
            (unit == 1 ? look.content : look.content / 2) + (look.line_end > 0 ? 1 : 0);
        if (!look.ended || characters_most > LINE_READ_MAX) {
            if (take_long_line(reader, query, piece)) {
                found = true;
                if (query.number != 0)
                    return true;
            }
            continue;
        }
        // One read: the whole line, whose own bytes tell its form.
        ++reader->reads;
        const char *text = reader->buffer + reader->start;
        TextPiece line{text, look.content, look.line_end > 0, form_unknown};
        reader->start += look.content + look.line_end;
        if (query.number != 0 ? reader->reads == query.number
                              : may_start_with(line, query) &&
                                    text_starts_with(line, query.prefix, query.prefix_length)) {
            line.form = text_line_form(text, look.content, reader->encoding, true);
            *piece = line;
            if (query.number != 0)
                return true; // the buffer holds it until the reader's next use
            memcpy(reader->kept, text, look.content);
            piece->text = reader->kept;
            found = true;
        }
    }
}

bool text_find_read(TextReader *reader, uint64_t number, TextPiece *piece) {
    return number > reader->reads && scan(reader, Query{number, nullptr, 0}, piece);
}

bool text_find_last_read(TextReader *reader, const char *prefix, TextPiece *piece) {
    return scan(reader, Query{0, prefix, strlen(prefix)}, piece);
}
