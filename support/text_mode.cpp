// Byte order marks, UTF-16 units and reads handed on as UTF-8.
#include "support/text_mode.h"

#include <cstring>

#include "platform/platform.h"

// The encoding that the first bytes of a source announce, and the length of
// the mark (0 without one).
TextEncoding text_mark(const char *bytes, size_t length, size_t *mark_length) {
    const auto *b = reinterpret_cast<const unsigned char *>(bytes);
    *mark_length = 0;
    if (length >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) {
        *mark_length = 3;
        return TextEncoding::BYTES;
    }
    if (length >= 2 && ((b[0] == 0xFF && b[1] == 0xFE) || (b[0] == 0xFE && b[1] == 0xFF))) {
        *mark_length = 2;
        return b[0] == 0xFF ? TextEncoding::UTF16LE : TextEncoding::UTF16BE;
    }
    return TextEncoding::BYTES;
}

unsigned text_unit(const char *bytes, TextEncoding encoding) {
    auto first = static_cast<unsigned char>(bytes[0]),
         second = static_cast<unsigned char>(bytes[1]);
    return encoding == TextEncoding::UTF16LE ? first | second << 8 : first << 8 | second;
}

bool is_high_surrogate(unsigned unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool is_low_surrogate(unsigned unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

static uint32_t combine(unsigned high, unsigned low) {
    return 0x10000 + ((static_cast<uint32_t>(high) - 0xD800) << 10) + (low - 0xDC00);
}

inline constexpr uint32_t REPLACEMENT_CHARACTER = 0xFFFD;

// The code point that a unit begins; *pair is set when it takes the next unit
// with it. next is 0 when there is none. A lone surrogate is U+FFFD.
uint32_t text_decode_unit(unsigned unit, unsigned next, bool *pair) {
    *pair = is_high_surrogate(unit) && is_low_surrogate(next);
    if (*pair)
        return combine(unit, next);
    return is_high_surrogate(unit) || is_low_surrogate(unit) ? REPLACEMENT_CHARACTER : unit;
}

size_t text_piece_utf8(const TextPiece &piece, char *out, size_t size) {
    if (!piece.eight_bit && utf8_is_valid(piece.text, piece.text_length)) {
        size_t length = piece.text_length < size ? piece.text_length : size;
        memcpy(out, piece.text, length);
        return length;
    }
    return platform_text_to_utf8(piece.text, piece.text_length, out, size);
}
