// A text built by appending pieces into a fixed buffer: what does not fit is
// left out and noted, never written past the buffer.
#pragma once

#include <cstddef>
#include <cstring>

struct BoundedText {
    char *data;
    size_t size; // of data, the closing zero byte included
    size_t length;
    bool cut; // something did not fit
};

// An empty text in buffer.
inline BoundedText bounded_text(char *buffer, size_t size) {
    buffer[0] = '\0';
    return BoundedText{buffer, size, 0, false};
}

// Appends length bytes of part, or notes that they do not fit.
inline void append_bytes(BoundedText *text, const char *part, size_t length) {
    if (text->length + length >= text->size) {
        text->cut = true;
        return;
    }
    memcpy(text->data + text->length, part, length);
    text->length += length;
    text->data[text->length] = '\0';
}

inline void append(BoundedText *text, const char *part) {
    append_bytes(text, part, strlen(part));
}

inline void append_char(BoundedText *text, char c) {
    append_bytes(text, &c, 1);
}
