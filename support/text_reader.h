// The reads of a file in text mode (support/text_mode.h). The file is read
// through a buffer from its start until the answer is known, and each line is
// taken by one rule for the whole of it: a line longer than the buffer is
// scanned once, as UTF-8 and as 8-bit text at the same time, each way counting
// its own reads and keeping the one wanted, until the line's end, or the
// first byte that is no UTF-8, or LINE_FORM_BYTES of it tell which way holds.
#pragma once

#include <cstddef>
#include <cstdint>

#include "support/text_mode.h"

// The smallest buffer a reader accepts: it must show a line of 255 UTF-16
// units with its CR LF at once, twice over.
inline constexpr size_t TEXT_BUFFER_MIN = 4 * (LINE_READ_MAX + 2);

// The bytes of a line after which what they hold decides the line's form:
// UTF-8 when they are valid UTF-8, else 8-bit text. A longer line does not
// wait for its end, so that a line that never ends (a device, a pipe) cannot
// hold up a read.
inline constexpr uint64_t LINE_FORM_BYTES = uint64_t{4} * 1024 * 1024;

// A reader of one handle: buffer[start, end) has been read and not yet passed.
struct TextReader {
    int handle;
    char *buffer;
    size_t capacity;
    size_t start, end;
    bool exhausted; // nothing more comes: the end of the data, a read error or a Ctrl-Z
    bool failed;    // a read failed before the text's end: what follows is unknown
    TextEncoding encoding;
    uint64_t reads;            // reads passed
    char kept[READ_BYTES_MAX]; // a read found, when it is no longer in the buffer
};

// Starts reading a handle through the reader module's own large buffer.
// Honours a byte order mark.
void text_reader_start(TextReader *reader, int handle);

// The same with the given buffer of at least TEXT_BUFFER_MIN bytes.
void text_reader_start_with(TextReader *reader, int handle, char *buffer, size_t capacity);

// A reader answers one of the two questions below, once. The answer holds
// even when the reader has failed, as far as the bytes before the failure
// decide it: a read found is whole, in its line's form; one not found may lie
// beyond the failure.

// Reads up to read number `number` (counted from 1) and finds it; false when
// the text ends first, or when a read fails first. The piece lies in the
// reader.
bool text_find_read(TextReader *reader, uint64_t number, TextPiece *piece);

// Reads the whole text and finds its last read that begins with prefix
// (ASCII; letters match in either case); false when none does. Only a reader
// that has not failed read the whole text.
bool text_find_last_read(TextReader *reader, const char *prefix, TextPiece *piece);
