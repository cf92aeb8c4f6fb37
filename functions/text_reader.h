// Text-mode reading over the platform's raw bytes, the same on every system:
// a CR LF pair is one line end "\n" (a lone CR stays a character) and a Ctrl-Z
// byte ends the text. Text is taken in "reads" of at most 255 characters, each
// ending after a line end or when 255 characters have been taken, so a line of
// exactly 255 characters takes two reads, the second holding only its line end.
#pragma once

#include <cstddef>
#include <cstdint>

// Characters in one read.
inline constexpr size_t LINE_READ_MAX = 255;
// The byte that ends a text.
inline constexpr char TEXT_END_BYTE = 0x1A;
// The smallest buffer a reader accepts.
inline constexpr size_t TEXT_BUFFER_MIN = 2 * (LINE_READ_MAX + 1);

// A buffered reader of one handle. The buffer holds the raw bytes from start
// to end; a Ctrl-Z byte never enters it.
struct TextReader {
    int handle;
    char *buffer;
    size_t capacity;
    size_t start;
    size_t end;
    bool exhausted; // nothing more comes from the handle
};

// One read, pointing into the reader's buffer (valid until the next call).
struct TextPiece {
    const char *text;   // the characters before the line end
    size_t text_length; // their count
    bool has_line_end;  // the read ends with a line end
};

// Starts reading a handle through the reader module's own large buffer.
void text_reader_start(TextReader *reader, int handle);

// Starts reading a handle through the given buffer of at least TEXT_BUFFER_MIN bytes.
void text_reader_start_with(TextReader *reader, int handle, char *buffer, size_t capacity);

// Takes the next read; false at the end of the text.
bool text_read_piece(TextReader *reader, TextPiece *piece);

// Passes over count reads without copying them; returns how many there were
// (fewer than count when the text ends first).
uint32_t text_skip_reads(TextReader *reader, uint32_t count);

// Takes one read of at most max characters from a handle one byte at a time,
// so that nothing after the read is consumed: the byte after a CR is only
// peeked. Returns the characters written to out, with the line end as "\n";
// out is not zero-ended.
size_t text_read_line_unbuffered(int handle, char *out, size_t max);
