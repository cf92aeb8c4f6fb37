// Text mode over raw bytes, the same on every system and for every source: a
// CR LF pair is one line end "\n" (a lone CR stays a character) and a Ctrl-Z
// character ends the text. Text is taken in "reads" of at most 255 characters,
// each ending after a line end or when 255 characters have been taken, so a
// line of exactly 255 characters takes two reads, the second holding only its
// line end.
//
// A byte order mark at the start says how the bytes are written: UTF-16 LE or
// BE, or UTF-8 (the mark is dropped). Without a mark, one rule holds for the
// whole of each line: it is UTF-8 when the whole line is valid UTF-8, and else
// 8-bit text in the system's code page, whose characters platform_text_pass
// marks out (two bytes for many characters of a double-byte code page). A read
// never splits a character. Text stays as it is written until a read is handed
// on as a result (text_to_utf8), so that scanning a file touches each byte no
// more than a line count does.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/unicode.h"

// Characters in one read.
inline constexpr size_t LINE_READ_MAX = 255;
// The most bytes that one read's characters take in any form: a character of
// UTF-8, of UTF-16 (a surrogate pair) or of GB18030 takes at most four.
inline constexpr size_t READ_BYTES_MAX = LINE_READ_MAX * UTF8_MAX;
// The character that ends a text.
inline constexpr char TEXT_END_BYTE = 0x1A;

// How the bytes of a source are written: units of one byte, or of two.
enum class TextEncoding : uint8_t { BYTES, UTF16LE, UTF16BE };

// How the characters of a line are written.
enum class TextForm : uint8_t { UTF8, EIGHT_BIT, UTF16LE, UTF16BE };

// One read: its characters before the line end, as they are written.
struct TextPiece {
    const char *text;
    size_t length; // bytes
    bool has_line_end;
    TextForm form;
};

// What a view of text shows of the line at its start. Lengths are in bytes,
// whole units.
struct LineLook {
    size_t content;  // the line's characters in view, before its line end or a Ctrl-Z
    size_t line_end; // its line end, LF or CR LF; 0 when none is in view
    bool ended;      // the line's end is in view: a line end, a Ctrl-Z or the end of the text
    bool text_end;   // a Ctrl-Z ends the text right after content
};

// A byte order mark: its bytes, and the encoding that it announces.
struct TextMark {
    const char *bytes;
    size_t length;
    TextEncoding encoding;
};
inline constexpr TextMark TEXT_MARKS[] = {
    {"\xEF\xBB\xBF", 3, TextEncoding::BYTES}, // UTF-8
    {"\xFF\xFE", 2, TextEncoding::UTF16LE},
    {"\xFE\xFF", 2, TextEncoding::UTF16BE},
};

// The length of the mark that begins with this byte, 0 when none does: how
// many bytes must be seen to tell whether a mark is there.
inline size_t text_mark_length(char first) {
    for (size_t i = 0; i < sizeof TEXT_MARKS / sizeof TEXT_MARKS[0]; ++i) {
        if (TEXT_MARKS[i].bytes[0] == first)
            return TEXT_MARKS[i].length;
    }
    return 0;
}

// The encoding that the first bytes of a source announce, and the length of
// the mark (0 without one).
TextEncoding text_mark(const char *bytes, size_t length, size_t *mark_length);

// The form of a line of this encoding whose characters begin text: for bytes,
// UTF-8 when they are valid UTF-8 (when the line is not whole, the last
// character may be cut short), else 8-bit text.
TextForm text_line_form(const char *text, size_t length, TextEncoding encoding, bool whole);

// The byte length of the first count characters of text in the form (all of
// it when it holds fewer); *characters receives their number.
size_t text_skip(TextForm form, const char *text, size_t length, size_t count, size_t *characters);

// Passes over the characters of text in the form that begin before stop (at
// most length): at most count of them, none running past length. Returns the
// bytes passed, and their characters in *characters. A character is what
// utf8_step or platform_text_pass marks out (a byte that is no valid UTF-8 is
// one), or a UTF-16 unit or surrogate pair (a lone surrogate is one). Runs of
// ASCII and of two-byte UTF-8 sequences are passed a block at a time.
size_t text_pass(TextForm form, const char *text, size_t length, size_t stop, size_t count,
                 size_t *characters);

// True when the read begins with prefix, ASCII letters compared in either case.
bool text_starts_with(const TextPiece &piece, const char *prefix, size_t prefix_length);

// Writes the characters of a read as UTF-8 into out (size bytes; READ_BYTES_MAX
// hold any read but 8-bit text of an unusual code page), whole characters only:
// 8-bit text through platform_text_to_utf8, and a lone UTF-16 surrogate as
// U+FFFD. Returns the number of bytes written.
size_t text_to_utf8(const TextPiece &piece, char *out, size_t size);

// ---- Lines, looked at once for every line: inline ----------------------------

// Bytes per unit: 1, or 2 for UTF-16.
inline size_t text_unit_size(TextEncoding encoding) {
    return encoding == TextEncoding::BYTES ? 1 : 2;
}

// True when the unit at bytes has this value (below 0x80).
inline bool text_unit_is(const char *bytes, char value, TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::BYTES: return bytes[0] == value;
    case TextEncoding::UTF16LE: return bytes[0] == value && bytes[1] == '\0';
    case TextEncoding::UTF16BE: return bytes[0] == '\0' && bytes[1] == value;
    }
    return false;
}

// The offset of the first unit of this value (below 0x80) in text of length
// bytes that starts on a unit; length when there is none.
inline size_t text_find_unit(const char *text, size_t length, char value, TextEncoding encoding) {
    if (encoding == TextEncoding::BYTES) {
        const void *found = memchr(text, value, length);
        return found != nullptr ? static_cast<size_t>(static_cast<const char *>(found) - text)
                                : length;
    }
    // The byte that holds the value, then the other byte of its unit, which
    // must be zero (units start at even offsets).
    size_t low = encoding == TextEncoding::UTF16LE ? 0 : 1;
    for (size_t from = low; from < length;) {
        const void *found = memchr(text + from, value, length - from);
        if (found == nullptr)
            break;
        auto at = static_cast<size_t>(static_cast<const char *>(found) - text);
        if (at % 2 == low && text[at ^ 1] == '\0')
            return at - low;
        from = at + 1;
    }
    return length;
}

// Looks at the line that begins view (length bytes); last says that nothing
// follows the view, so that what it shows ends the text.
inline LineLook text_look(const char *view, size_t length, TextEncoding encoding, bool last) {
    size_t unit = text_unit_size(encoding);
    length &= ~(unit - 1); // a unit not yet whole waits, and at the end is no character
    size_t line_end = text_find_unit(view, length, '\n', encoding);
    // Only the line's own bytes need be free of Ctrl-Z.
    size_t text_end = text_find_unit(view, line_end, TEXT_END_BYTE, encoding);
    if (text_end < line_end)
        return LineLook{text_end, 0, true, true};
    if (line_end == length)
        return LineLook{length, 0, last, false};
    size_t content = line_end;
    if (line_end >= unit && text_unit_is(view + line_end - unit, '\r', encoding)) // CR LF
        content -= unit;
    return LineLook{content, line_end + unit - content, true, false};
}
