// Text as characters: UTF-8, its generalized form and UTF-16. Touches no
// operating system, so that the platform layer and everything above may use it.
//
// Text inside the program is generalized UTF-8 (WTF-8): UTF-8 in which a
// surrogate code point (U+D800 to U+DFFF) that stands alone, as a Windows name
// may hold one, is written in its 3-byte form. Such a form counts as one
// character. A byte that belongs to no valid sequence counts as one character
// of its own, so that any bytes can be counted, cut and passed on unchanged.
// For valid UTF-8 both readings agree.
#pragma once

#include <cstddef>
#include <cstdint>

// The most bytes one character takes.
inline constexpr size_t UTF8_MAX = 4;
// What a character that cannot be decoded becomes in text read from a file.
inline constexpr uint32_t REPLACEMENT_CODE_POINT = 0xFFFD;
// utf8_decode's code point for a byte that belongs to no valid sequence.
inline constexpr uint32_t NOT_A_CHARACTER = 0xFFFFFFFF;

// ---- Generalized UTF-8 ------------------------------------------------------

// The byte length of the character at the start of text: the length of a valid
// sequence or of a surrogate's 3-byte form, else 1. Requires length > 0.
size_t utf8_step(const char *text, size_t length);

// utf8_step, and the character's code point in *code_point (NOT_A_CHARACTER
// for a byte that belongs to no valid sequence). Requires length > 0.
size_t utf8_decode(const char *text, size_t length, uint32_t *code_point);

// The number of characters in text.
size_t utf8_count(const char *text, size_t length);

// Passes over the characters of text that begin before stop (at most length),
// at most count of them, as utf8_step marks them out; a character may run past
// stop but never past length. With valid_only it stops before the first
// character that is no valid UTF-8 (a byte outside a valid sequence, or a
// surrogate's form). Returns the bytes passed, and their characters in
// *characters.
size_t utf8_pass(const char *text, size_t length, size_t stop, size_t count, bool valid_only,
                 size_t *characters);

// The byte length of the first count characters of text (all of it when it
// holds fewer).
size_t utf8_skip(const char *text, size_t length, size_t count);

// The length of the longest start of text, at most limit bytes, that ends
// where a character ends (0 when the first character is longer than limit).
size_t utf8_cut(const char *text, size_t length, size_t limit);

// The length of text without a sequence cut short at its end, for text whose
// continuation is lost (a message cut to fit its buffer).
size_t utf8_whole(const char *text, size_t length);

// True when text is valid UTF-8 throughout: no surrogate, nothing else.
bool utf8_is_valid(const char *text, size_t length);

// True when text is valid UTF-8, allowing its last character to be cut short
// (the text is a window into a longer one).
bool utf8_is_valid_prefix(const char *text, size_t length);

// True when every character of text is a valid sequence or a surrogate's
// 3-byte form: text that UTF-16 can hold exactly.
bool wtf8_is_valid(const char *text, size_t length);

// The first surrogate in text that stands alone in its 3-byte form, or 0 when
// there is none.
uint32_t wtf8_surrogate(const char *text, size_t length);

// Writes the UTF-8 form of a code point up to U+10FFFF, a surrogate in its
// 3-byte form (at most UTF8_MAX bytes); returns its length.
size_t utf8_encode(uint32_t code_point, char *out);

// ---- UTF-16 -----------------------------------------------------------------
// Units are held one per wchar_t, as the Windows calls take them (there 16 bits
// wide); on other systems only the tests use these conversions.

bool utf16_is_high_surrogate(unsigned unit);
bool utf16_is_low_surrogate(unsigned unit);

// The character of text that a unit begins, for text read from a file: *pair
// is set when it takes next with it (next is 0 when there is none); a lone
// surrogate is REPLACEMENT_CODE_POINT.
uint32_t utf16_unit_decode(unsigned unit, unsigned next, bool *pair);

// Writes a code point up to U+10FFFF as one unit, or as a surrogate pair
// beyond U+FFFF (a surrogate code point stays the one unit it is); returns
// the number of units, 1 or 2.
size_t utf16_encode(uint32_t code_point, wchar_t *units);

// Writes units as generalized UTF-8, a lone surrogate in its 3-byte form, so
// that the text converts back to the same units. Whole characters only, at
// most size bytes; returns the bytes written, and the units converted in
// *taken.
size_t utf16_to_wtf8(const wchar_t *units, size_t count, char *out, size_t size, size_t *taken);

// The number of bytes that utf16_to_wtf8 makes of the units.
size_t utf16_wtf8_length(const wchar_t *units, size_t count);

// The number of units that wtf8_to_utf16 makes of the text: the length of a
// path as the system counts it.
size_t wtf8_utf16_length(const char *text, size_t length);

// Writes generalized UTF-8 as units, a surrogate's 3-byte form as that unit
// and a byte that belongs to no valid sequence as REPLACEMENT_CODE_POINT. Whole
// characters only, at most capacity units; returns the units written, and the
// bytes converted in *taken.
size_t wtf8_to_utf16(const char *text, size_t length, wchar_t *out, size_t capacity, size_t *taken);
