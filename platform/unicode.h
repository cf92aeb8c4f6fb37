// UTF-8 text counted in characters (Unicode code points). A byte that does not
// belong to a valid sequence counts as one character of its own, so that any
// bytes can be counted, cut and passed on unchanged.
#pragma once

#include <cstddef>
#include <cstdint>

// The most bytes one character takes.
inline constexpr size_t UTF8_MAX = 4;

// The byte length of the character at the start of text: the length of a valid
// sequence, else 1. Requires length > 0.
size_t utf8_step(const char *text, size_t length);

// The number of characters in text.
size_t utf8_count(const char *text, size_t length);

// The byte length of the first count characters of text (all of it when it
// holds fewer).
size_t utf8_skip(const char *text, size_t length, size_t count);

// True when text is valid UTF-8 throughout.
bool utf8_is_valid(const char *text, size_t length);

// True when text is valid UTF-8, allowing its last character to be cut short
// (the text is a window into a longer one).
bool utf8_is_valid_prefix(const char *text, size_t length);

// The length of text without a sequence cut short at its end.
size_t utf8_whole(const char *text, size_t length);

// Writes the UTF-8 form of a code point (at most UTF8_MAX bytes); returns its length.
size_t utf8_encode(uint32_t code_point, char *out);
