// Text-mode reads of a file, read into a large buffer. A file is read rather
// than mapped into memory: a read of a file that another program shortens, or
// of a network file whose page cannot be read, simply ends or fails, where a
// mapped page would end the process with a signal or an exception. Measured
// on Linux, reading costs about what mapping does.
//
// A line of fewer than 255 units whose end is in view is one read, whatever
// its encoding; such lines are passed a block at a time when a read further on
// is wanted. Any other line is scanned by every way it may be written at once
// (see Way), a word of runs of ASCII or short UTF-8 sequences at a time, and
// its reads are known once its form is.
#include "support/text_reader.h"

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

// Reads more raw bytes. The end of the data ends the text; so does a read
// error, which leaves the rest unknown.
static void read_more(TextReader *reader) {
    long count =
        platform_read(reader->handle, reader->buffer + reader->end, reader->capacity - reader->end);
    if (count > 0) {
        reader->end += static_cast<size_t>(count);
        return;
    }
    reader->exhausted = true;
    reader->failed = count < 0;
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
// a Ctrl-Z seen ends the text there, and what a failed read missed after it
// does not matter.
static LineLook look_at_line(TextReader *reader, size_t window) {
    size_t available = reader->end - reader->start;
    if (window > available)
        window = available;
    LineLook look = text_look(reader->buffer + reader->start, window, reader->encoding,
                              reader->exhausted && !reader->failed && window == available);
    if (look.text_end) {
        reader->end = reader->start + look.content;
        reader->exhausted = true;
        reader->failed = false;
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
    reader->failed = false;
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
// read that the query wants, until the line's form is known.
struct Way {
    size_t at;         // where it stands, in bytes after the reader's start
    uint64_t reads;    // reads of the line finished
    size_t characters; // of the read being filled
    size_t length;     // bytes in `read`
    TextPiece piece;   // when found: the read wanted, in `kept`
    TextForm form;
    bool strict;  // only valid UTF-8 goes: the way of UTF-8 while the form is open
    bool valid;   // every character so far is whole: a strict way can fail
    bool copying; // the read being filled may be wanted: it goes to `read`
    bool found;
    char read[READ_BYTES_MAX];
    char kept[READ_BYTES_MAX];
};

static void start_way(Way *way, TextForm form, const TextReader *reader, const Query &query) {
    way->form = form;
    way->strict = form == TextForm::UTF8;
    way->valid = true;
    way->at = 0;
    way->reads = 0;
    way->characters = 0;
    way->copying = query.number != 0 && reader->reads + 1 == query.number;
    way->length = 0;
    way->found = false;
}

// Ends the read being filled and keeps it when the query wants it. Whether the
// next read is copied is known now for a number, and at its first character
// for a prefix.
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
    way->copying = query.number != 0 && number + 1 == query.number;
}

// The characters before the read wanted by number, which a way that copies
// nothing may pass at once; all when that read lies behind.
static size_t characters_before_wanted(const TextReader *reader, const Query &query,
                                       const Way *way) {
    uint64_t current = reader->reads + way->reads + 1;
    if (current >= query.number)
        return SIZE_MAX;
    uint64_t before =
        (LINE_READ_MAX - way->characters) + (query.number - current - 1) * LINE_READ_MAX;
    return before < SIZE_MAX ? static_cast<size_t>(before) : SIZE_MAX;
}

// Bytes looked through at once for one that may begin the prefix.
inline constexpr size_t PREFIX_LOOK = 64;

// The first byte of view from `from` on, before stop, that may be the first
// character of the prefix, an ASCII letter or sign in either case: in any
// form it is such a byte (in UTF-16, either byte of the unit). stop when none
// is. Blocks are looked through in a plain loop, which the compiler turns
// into vector instructions.
static size_t find_prefix_start(const char *view, size_t from, size_t stop, char first) {
    auto wanted = static_cast<unsigned char>(first | 0x20);
    size_t i = from;
    for (; stop - i >= PREFIX_LOOK; i += PREFIX_LOOK) {
        unsigned char seen = 0;
        for (size_t j = 0; j < PREFIX_LOOK; ++j)
            seen |= static_cast<unsigned char>(view[i + j] | 0x20) == wanted;
        if (seen != 0)
            break;
    }
    while (i < stop && static_cast<unsigned char>(view[i] | 0x20) != wanted)
        ++i;
    return i;
}

// Takes characters that begin in view before stop; none reaches past limit,
// the end of what is known of them.
static void walk(const TextReader *reader, const Query &query, Way *way, const char *view,
                 size_t stop, size_t limit) {
    bool utf16 = way->form == TextForm::UTF16LE || way->form == TextForm::UTF16BE;
    while (way->valid && way->at < stop) {
        const char *next = view + way->at;
        if (query.number == 0 && way->characters == 0)
            way->copying = text_starts_with(TextPiece{next, limit - way->at, false, way->form},
                                            query.prefix, 1);
        // The rest of a read that is copied, or for a prefix whose next read's
        // first character must be seen; else more at once.
        size_t count = LINE_READ_MAX - way->characters, until = stop;
        if (!way->copying && query.number != 0) {
            count = characters_before_wanted(reader, query, way);
        } else if (!way->copying) {
            // No read that begins before such a byte can begin with the prefix.
            size_t candidate = find_prefix_start(view, way->at, stop, query.prefix[0]);
            if (utf16)
                candidate &= ~size_t{1}; // units begin at even offsets of the view
            if (candidate > way->at) {
                count = SIZE_MAX;
                until = candidate;
            }
        }
        size_t characters = 0;
        size_t step =
            way->strict
                ? utf8_pass(next, limit - way->at, until - way->at, count, true, &characters)
                : text_pass(way->form, next, limit - way->at, until - way->at, count, &characters);
        if (way->copying) {
            memcpy(way->read + way->length, next, step);
            way->length += step;
        }
        way->at += step;
        // Bytes that are not UTF-8 stopped a strict way: the line is 8-bit text.
        way->valid = characters == count || way->at >= until;
        way->characters += characters;
        if (way->characters < LINE_READ_MAX)
            continue;
        // Reads that no one wants pass whole; the pass stopped where one is.
        size_t after = way->characters % LINE_READ_MAX;
        way->reads += way->characters / LINE_READ_MAX - 1;
        end_read(reader, query, way, false);
        way->characters = after;
    }
}

// What taking a long line came to.
enum class LineTaken { FOUND, PASSED, CUT_SHORT };

// The read that a way found, kept in the reader.
static void keep_found(TextReader *reader, const Way &way, TextPiece *piece) {
    memcpy(reader->kept, way.kept, way.piece.length);
    *piece = way.piece;
    piece->text = reader->kept;
}

// Takes the line at the reader's start, which is not one short read: whole,
// or, when it holds the read wanted by number, up to where its form is known.
// CUT_SHORT when a failed read leaves the answer unknown.
static LineTaken take_long_line(TextReader *reader, const Query &query, TextPiece *piece) {
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
    uint64_t line_passed = 0; // bytes of the line before the reader's start
    for (;;) {
        ensure(reader, SMALL_VIEW);
        size_t available = reader->end - reader->start;
        LineLook look = look_at_line(reader, available);
        const char *view = reader->buffer + reader->start;
        // Until the line's end is in view, the last bytes wait for the rest of
        // their character (a UTF-16 pair, 4 bytes of UTF-8 or GB18030).
        size_t limit = look.ended ? look.content : available;
        size_t stop = look.ended ? look.content : available > UTF8_MAX ? available - UTF8_MAX : 0;
        for (size_t i = 0; i < count; ++i) {
            // While the form is open, UTF-8 is checked up to LINE_FORM_BYTES.
            size_t own_stop = stop;
            if (ways[i].strict && line_passed + stop > LINE_FORM_BYTES)
                own_stop = static_cast<size_t>(LINE_FORM_BYTES - line_passed);
            walk(reader, query, &ways[i], view, own_stop, limit);
        }
        // The form is known once a byte rules out UTF-8, or past LINE_FORM_BYTES:
        // the way that holds goes on alone.
        if (count == 2 && (!ways[0].valid || line_passed + ways[0].at >= LINE_FORM_BYTES)) {
            if (!ways[0].valid)
                ways[0] = ways[1];
            ways[0].strict = false;
            count = 1;
            walk(reader, query, &ways[0], view, stop, limit);
        }
        Way *way = &ways[0];
        if (look.ended) {
            bool has_line_end = look.line_end > 0;
            if (way->characters > 0 || has_line_end)
                end_read(reader, query, way, has_line_end);
            reader->reads += way->reads;
            reader->start += look.content + look.line_end;
            if (!way->found)
                return LineTaken::PASSED;
            keep_found(reader, *way, piece);
            return LineTaken::FOUND;
        }
        // The read wanted is whole, and its form known: the rest of the line
        // does not matter.
        if (count == 1 && query.number != 0 && way->found) {
            keep_found(reader, *way, piece);
            return LineTaken::FOUND;
        }
        if (reader->failed)
            return LineTaken::CUT_SHORT;
        // The bytes that every way has passed are done with.
        size_t passed = count == 2 && ways[1].at < ways[0].at ? ways[1].at : ways[0].at;
        reader->start += passed;
        line_passed += passed;
        for (size_t i = 0; i < count; ++i)
            ways[i].at -= passed;
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
            LineTaken taken = take_long_line(reader, query, piece);
            if (taken == LineTaken::CUT_SHORT)
                return false;
            if (taken == LineTaken::FOUND) {
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
