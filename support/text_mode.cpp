// Byte order marks, line ends, characters in each form, and reads handed on
// as UTF-8.
#include "support/text_mode.h"

#include <cstring>

#include "platform/platform.h"
#include "support/letters.h"

TextEncoding text_mark(const char *bytes, size_t length, size_t *mark_length) {
    for (const TextMark &mark : TEXT_MARKS) {
        if (length >= mark.length && memcmp(bytes, mark.bytes, mark.length) == 0) {
            *mark_length = mark.length;
            return mark.encoding;
        }
    }
    *mark_length = 0;
    return TextEncoding::BYTES;
}

// ---- UTF-16 ------------------------------------------------------------------

static bool is_utf16(TextForm form) {
    return form == TextForm::UTF16LE || form == TextForm::UTF16BE;
}

static unsigned unit_at(const char *bytes, bool little_endian) {
    auto first = static_cast<unsigned char>(bytes[0]),
         second = static_cast<unsigned char>(bytes[1]);
    return little_endian ? first | second << 8 : first << 8 | second;
}

// Decodes the UTF-16 character at text (length >= 2 bytes); *step receives
// its bytes: four for a surrogate pair, else two.
static uint32_t utf16_character(const char *text, size_t length, bool little_endian, size_t *step) {
    bool pair = false;
    uint32_t code_point = utf16_unit_decode(
        unit_at(text, little_endian), length >= 4 ? unit_at(text + 2, little_endian) : 0, &pair);
    *step = pair ? 4 : 2;
    return code_point;
}

// UTF-16 as UTF-8, whole characters that fit in size bytes.
static size_t utf16_to_utf8(const char *text, size_t length, bool little_endian, char *out,
                            size_t size) {
    size_t used = 0;
    for (size_t i = 0, step = 0; i + 2 <= length; i += step) {
        char encoded[UTF8_MAX];
        size_t need =
            utf8_encode(utf16_character(text + i, length - i, little_endian, &step), encoded);
        if (need > size - used)
            break;
        memcpy(out + used, encoded, need);
        used += need;
    }
    return used;
}

// ---- Lines -------------------------------------------------------------------

TextForm text_line_form(const char *text, size_t length, TextEncoding encoding, bool whole) {
    if (encoding == TextEncoding::UTF16LE)
        return TextForm::UTF16LE;
    if (encoding == TextEncoding::UTF16BE)
        return TextForm::UTF16BE;
    bool valid = whole ? utf8_is_valid(text, length) : utf8_is_valid_prefix(text, length);
    return valid ? TextForm::UTF8 : TextForm::EIGHT_BIT;
}

// ---- Characters --------------------------------------------------------------

size_t text_skip(TextForm form, const char *text, size_t length, size_t count, size_t *characters) {
    return text_pass(form, text, length, length, count, characters);
}

size_t text_pass(TextForm form, const char *text, size_t length, size_t stop, size_t count,
                 size_t *characters) {
    switch (form) {
    case TextForm::UTF8: return utf8_pass(text, length, stop, count, false, characters);
    case TextForm::EIGHT_BIT: return platform_text_pass(text, length, stop, count, characters);
    case TextForm::UTF16LE:
    case TextForm::UTF16BE: break;
    }
    // A unit that is no surrogate is a character of its own.
    bool little_endian = form == TextForm::UTF16LE;
    size_t high = little_endian ? 1 : 0;
    size_t at = 0, passed = 0;
    for (; passed < count && at < stop; ++passed) {
        size_t step = 2;
        if ((static_cast<unsigned char>(text[at + high]) & 0xF8) == 0xD8)
            utf16_character(text + at, length - at, little_endian, &step);
        at += step;
    }
    *characters = passed;
    return at;
}

bool text_starts_with(const TextPiece &piece, const char *prefix, size_t prefix_length) {
    bool utf16 = is_utf16(piece.form);
    size_t unit = utf16 ? 2 : 1;
    if (piece.length < prefix_length * unit)
        return false;
    for (size_t i = 0; i < prefix_length; ++i) {
        unsigned value = utf16 ? unit_at(piece.text + 2 * i, piece.form == TextForm::UTF16LE)
                               : static_cast<unsigned char>(piece.text[i]);
        if (value >= 0x80 || upper_letter(static_cast<char>(value)) != upper_letter(prefix[i]))
            return false;
    }
    return true;
}

size_t text_to_utf8(const TextPiece &piece, char *out, size_t size) {
    switch (piece.form) {
    case TextForm::UTF8: {
        size_t length = piece.length < size ? piece.length : size;
        memcpy(out, piece.text, length);
        return length;
    }
    case TextForm::EIGHT_BIT: return platform_text_to_utf8(piece.text, piece.length, out, size);
    case TextForm::UTF16LE: return utf16_to_utf8(piece.text, piece.length, true, out, size);
    case TextForm::UTF16BE: return utf16_to_utf8(piece.text, piece.length, false, out, size);
    }
    return 0;
}
