// Text-mode reading over the platform's raw bytes, the same on every system:
// a CR LF pair is one line end "\n" (a lone CR stays a character) and a Ctrl-Z
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

#include "platform/unicode.h"

// Characters in one read.
inline constexpr size_t LINE_READ_MAX = 255;
// The most bytes that one read's characters take.
inline constexpr size_t READ_BYTES_MAX = LINE_READ_MAX * UTF8_MAX;
// Bytes that must be in view to take one read: its characters, then a CR LF,
// which tells a line end from a lone CR.
inline constexpr size_t READ_WINDOW = READ_BYTES_MAX + 2;
// The smallest buffer a reader accepts.
inline constexpr size_t TEXT_BUFFER_MIN = 2 * READ_WINDOW;
// The character that ends a text.
inline constexpr char TEXT_END_BYTE = 0x1A;

// How the bytes of a source are written.
enum class TextEncoding : uint8_t { BYTES, UTF16LE, UTF16BE };

// A reader of one handle. The text is either the whole file, mapped into
// memory, or a buffer that is refilled from the handle (and into which UTF-16
// is decoded). text[start, end) is what is in view and not yet taken.
struct TextReader {
    int handle;
    const char *text;
    size_t start, end;
    bool exhausted;  // nothing more comes: end of data, a read error or Ctrl-Z
    char *buffer;    // for a source that is read, else nullptr
    size_t capacity; // of buffer
    const char *mapping;
    uint64_t mapping_size;
    TextEncoding encoding;
    char carry[3]; // bytes of a UTF-16 character not yet complete
    size_t carry_count;
    bool line_start;     // the next read begins a line
    bool line_eight_bit; // the line being read, longer than one read, is 8-bit text
};

// One read, pointing into the reader's text (valid until the next call, or
// until text_reader_finish).
struct TextPiece {
    const char *text;   // the characters before the line end
    size_t text_length; // their bytes
    bool has_line_end;  // the read ends with a line end
    bool eight_bit;     // part of a line that is 8-bit text (else: decide by its bytes)
};

// Starts reading a handle: maps it when the platform can, else reads it
// through the reader module's own large buffer. Honours a byte order mark.
void text_reader_start(TextReader *reader, int handle);

// The same with the given buffer of at least TEXT_BUFFER_MIN bytes.
void text_reader_start_with(TextReader *reader, int handle, char *buffer, size_t capacity);

// Ends reading: undoes a mapping. The handle stays open.
void text_reader_finish(TextReader *reader);

// Takes the next read; false at the end of the text.
bool text_read_piece(TextReader *reader, TextPiece *piece);

// Passes over count reads without copying them; returns how many there were
// (fewer than count when the text ends first).
uint32_t text_skip_reads(TextReader *reader, uint32_t count);

// Writes the characters of a read as UTF-8 into out (size bytes; at most
// 3 * READ_BYTES_MAX are ever needed), turning 8-bit text into UTF-8. Returns
// the number of bytes written.
size_t text_piece_utf8(const TextPiece &piece, char *out, size_t size);

// Takes one read from standard input without taking a byte after it, and
// writes it as UTF-8 into out (size bytes), with the line end as "\n"; out is
// not zero-ended. A console gives a line as typed; other input follows the
// rules above, its byte order mark found at the start of the file even when
// an earlier reader has taken it. Returns the number of bytes written.
size_t text_read_line_unbuffered(char *out, size_t size);
