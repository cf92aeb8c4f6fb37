// Text-mode reads of a file (support/text_mode.h), read through a large buffer.
#pragma once

#include <cstddef>
#include <cstdint>

#include "support/text_mode.h"

// Bytes that must be in view to take one read: its characters, then a CR LF,
// which tells a line end from a lone CR.
inline constexpr size_t READ_WINDOW = READ_BYTES_MAX + 2;
// The smallest buffer a reader accepts.
inline constexpr size_t TEXT_BUFFER_MIN = 2 * READ_WINDOW;

// A reader of one handle. The text is a buffer that is refilled from the
// handle (and into which UTF-16 is decoded). text[start, end) is what is in
// view and not yet taken.
struct TextReader {
    int handle;
    const char *text;
    size_t start, end;
    bool exhausted; // nothing more comes: end of data, a read error or Ctrl-Z
    char *buffer;
    size_t capacity;
    TextEncoding encoding;
    char carry[3]; // bytes of a UTF-16 character not yet complete
    size_t carry_count;
    bool line_start;     // the next read begins a line
    bool line_eight_bit; // the line being read, longer than one read, is 8-bit text
};

// Starts reading a handle through the reader module's own large buffer.
// Honours a byte order mark.
void text_reader_start(TextReader *reader, int handle);

// The same with the given buffer of at least TEXT_BUFFER_MIN bytes.
void text_reader_start_with(TextReader *reader, int handle, char *buffer, size_t capacity);

// Takes the next read; false at the end of the text.
bool text_read_piece(TextReader *reader, TextPiece *piece);

// Passes over count reads without copying them; returns how many there were
// (fewer than count when the text ends first).
uint32_t text_skip_reads(TextReader *reader, uint32_t count);
