// Text-mode reads over raw bytes. Reads are found in a large buffer with memchr
// and handed out in place; skipping counts how many reads each line takes
// instead of copying them, so a long file costs little more than one scan.
#include "functions/text_reader.h"

#include <cstring>

#include "platform/platform.h"

// Large enough that refills are rare; static, so nothing is allocated.
static char shared_buffer[128 * 1024];

// Bytes that must be buffered to take one read: its 255 characters plus the
// byte after them, which tells a CR LF pair from a lone CR.
static const size_t WINDOW = LINE_READ_MAX + 1;

void text_reader_start_with(TextReader *reader, int handle, char *buffer, size_t capacity) {
    *reader = TextReader{handle, buffer, capacity, 0, 0, false};
}

void text_reader_start(TextReader *reader, int handle) {
    text_reader_start_with(reader, handle, shared_buffer, sizeof shared_buffer);
}

// Makes sure that at least WINDOW bytes are buffered, or all that are left.
// The unread bytes move to the front, so a CR LF pair is never split.
static void ensure_window(TextReader *reader) {
    if (reader->exhausted || reader->end - reader->start >= WINDOW)
        return;
    size_t left = reader->end - reader->start;
    memmove(reader->buffer, reader->buffer + reader->start, left);
    reader->start = 0;
    reader->end = left;
    while (reader->end < WINDOW) {
        char *fresh = reader->buffer + reader->end;
        long count = platform_read(reader->handle, fresh, reader->capacity - reader->end);
        if (count <= 0) {
            reader->exhausted = true; // end of data; a read error ends the text too
            return;
        }
        const void *stop = memchr(fresh, TEXT_END_BYTE, static_cast<size_t>(count));
        if (stop != nullptr) {
            reader->end += static_cast<size_t>(static_cast<const char *>(stop) - fresh);
            reader->exhausted = true;
            return;
        }
        reader->end += static_cast<size_t>(count);
    }
}

bool text_read_piece(TextReader *reader, TextPiece *piece) {
    ensure_window(reader);
    size_t available = reader->end - reader->start;
    if (available == 0)
        return false;
    const char *text = reader->buffer + reader->start;
    size_t look = available < WINDOW ? available : WINDOW;
    const char *line_end = static_cast<const char *>(memchr(text, '\n', look));
    size_t index = line_end != nullptr ? static_cast<size_t>(line_end - text) : look;
    size_t raw;
    if (line_end != nullptr && index > 0 && text[index - 1] == '\r') {
        // CR LF: the characters before the CR, then the line end (255 at most).
        *piece = TextPiece{text, index - 1, true};
        raw = index + 1;
    } else if (line_end != nullptr && index < LINE_READ_MAX) {
        *piece = TextPiece{text, index, true};
        raw = index + 1;
    } else {
        // No line end among the first 255 characters: a full read, or the
        // last characters of the text.
        raw = available < LINE_READ_MAX ? available : LINE_READ_MAX;
        *piece = TextPiece{text, raw, false};
    }
    reader->start += raw;
    return true;
}

// Reads a line of this many characters takes, its line end included.
static size_t reads_of(size_t characters) {
    return (characters + LINE_READ_MAX - 1) / LINE_READ_MAX;
}

uint32_t text_skip_reads(TextReader *reader, uint32_t count) {
    uint32_t left = count;
    while (left > 0) {
        ensure_window(reader);
        size_t available = reader->end - reader->start;
        if (available == 0)
            break;
        const char *text = reader->buffer + reader->start;
        const char *line_end = static_cast<const char *>(memchr(text, '\n', available));
        size_t whole; // reads that can be passed over entirely in the buffered bytes
        size_t raw;   // the bytes they span, when they are all the reads of the line
        if (line_end != nullptr) {
            raw = static_cast<size_t>(line_end - text) + 1;
            size_t characters = raw > 1 && line_end[-1] == '\r' ? raw - 1 : raw;
            whole = reads_of(characters);
        } else if (reader->exhausted) {
            raw = available; // the last line, without a line end
            whole = reads_of(available);
        } else {
            // No line end in sight: pass over full reads, keeping at least one
            // byte, so that a CR ending a read is known to be a lone CR.
            whole = (available - 1) / LINE_READ_MAX;
            raw = whole * LINE_READ_MAX;
        }
        if (whole <= left) {
            reader->start += raw;
            left -= static_cast<uint32_t>(whole);
        } else {
            // The reads left lie within this line, and all but its last read
            // hold 255 characters exactly as they are in the file.
            reader->start += left * LINE_READ_MAX;
            left = 0;
        }
    }
    return count - left;
}

size_t text_read_line_unbuffered(int handle, char *out, size_t max) {
    size_t length = 0;
    char byte = 0;
    while (length < max && platform_read(handle, &byte, 1) == 1 && byte != TEXT_END_BYTE) {
        // A CR before LF is taken with it as one line end; before anything else
        // the next byte stays unread, for this read or whoever reads next.
        char next = 0;
        if (byte == '\r' && platform_peek(handle, &next, 1) == 1 && next == '\n') {
            platform_read(handle, &byte, 1);
            out[length++] = '\n';
            break;
        }
        out[length++] = byte;
        if (byte == '\n')
            break;
    }
    return length;
}
