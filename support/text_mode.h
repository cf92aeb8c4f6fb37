// Text mode over raw bytes, the same on every system and for every source: a
// CR LF pair is one line end "\n" (a lone CR stays a character) and a Ctrl-Z
// character ends the text. Text is taken in "reads" of at most 255 characters,
// each ending after a line end or when 255 characters have been taken, so a
// line of exactly 255 characters takes two reads, the second holding only its
// line end.
//
// A byte order mark at the start says how the bytes are written: UTF-16 LE or
// BE text is decoded to UTF-8, and a UTF-8 mark is dropped. Without a mark,
// each line is UTF-8 when it is valid UTF-8, and else the system's 8-bit text,
// one character per byte; only when a read is handed on as a result is 8-bit
// text turned into UTF-8 (text_piece_utf8), so that scanning a file touches
// each byte no more than a line count does.
#pragma once

#include <cstddef>
#include <cstdint>

#include "support/utf8.h"

// Characters in one read.
inline constexpr size_t LINE_READ_MAX = 255;
// The most bytes that one read's characters take.
inline constexpr size_t READ_BYTES_MAX = LINE_READ_MAX * UTF8_MAX;
// The character that ends a text.
inline constexpr char TEXT_END_BYTE = 0x1A;

// How the bytes of a source are written.
enum class TextEncoding : uint8_t { BYTES, UTF16LE, UTF16BE };

// One read, pointing into the reader's text.
struct TextPiece {
    const char *text;   // the characters before the line end
    size_t text_length; // their bytes
    bool has_line_end;  // the read ends with a line end
    bool eight_bit;     // part of a line that is 8-bit text (else: decide by its bytes)
};

// The encoding that the first bytes of a source announce, and the length of
// the mark (0 without one).
TextEncoding text_mark(const char *bytes, size_t length, size_t *mark_length);

// The UTF-16 unit at bytes.
unsigned text_unit(const char *bytes, TextEncoding encoding);

bool is_high_surrogate(unsigned unit);
bool is_low_surrogate(unsigned unit);

// The code point that a unit begins; *pair is set when it takes the next unit
// with it. next is 0 when there is none. A lone surrogate is U+FFFD.
uint32_t text_decode_unit(unsigned unit, unsigned next, bool *pair);

// Writes the characters of a read as UTF-8 into out (size bytes; at most
// 3 * READ_BYTES_MAX are ever needed), turning 8-bit text into UTF-8. Returns
// the number of bytes written.
size_t text_piece_utf8(const TextPiece &piece, char *out, size_t size);
