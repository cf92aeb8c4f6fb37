// Counting, cutting, checking and converting text as characters.
#include "platform/unicode.h"

#include <bit>
#include <cstring>

static unsigned byte_at(const char *text, size_t i) {
    return static_cast<unsigned char>(text[i]);
}

// The length a lead byte announces and the smallest and largest second byte
// that keep the sequence well formed (no overlong form, nothing beyond
// U+10FFFF, and no surrogate unless generalized); 0 for a byte that leads no
// sequence.
struct Lead {
    size_t length;
    unsigned low, high;
};

static Lead lead_of(unsigned byte, bool generalized) {
    if (byte >= 0xC2 && byte <= 0xDF)
        return Lead{2, 0x80, 0xBF};
    if (byte == 0xE0)
        return Lead{3, 0xA0, 0xBF};
    if (byte == 0xED) // U+D000 to U+DFFF; from 0xA0 on, the surrogates
        return Lead{3, 0x80, generalized ? 0xBFu : 0x9Fu};
    if (byte >= 0xE1 && byte <= 0xEF)
        return Lead{3, 0x80, 0xBF};
    if (byte == 0xF0)
        return Lead{4, 0x90, 0xBF};
    if (byte >= 0xF1 && byte <= 0xF3)
        return Lead{4, 0x80, 0xBF};
    if (byte == 0xF4)
        return Lead{4, 0x80, 0x8F};
    return Lead{0, 0, 0};
}

// The number of bytes at the start of text that continue a sequence led by
// lead, at most lead.length - 1.
static size_t continuation(const char *text, size_t length, Lead lead) {
    size_t i = 1;
    for (; i < lead.length && i < length; ++i) {
        unsigned byte = byte_at(text, i);
        unsigned low = i == 1 ? lead.low : 0x80, high = i == 1 ? lead.high : 0xBF;
        if (byte < low || byte > high)
            break;
    }
    return i - 1;
}

size_t utf8_step(const char *text, size_t length) {
    unsigned byte = byte_at(text, 0);
    if (byte < 0x80)
        return 1;
    Lead lead = lead_of(byte, true);
    if (lead.length == 0 || continuation(text, length, lead) != lead.length - 1)
        return 1;
    return lead.length;
}

size_t utf8_decode(const char *text, size_t length, uint32_t *code_point) {
    size_t step = utf8_step(text, length);
    unsigned byte = byte_at(text, 0);
    if (step == 1) {
        *code_point = byte < 0x80 ? byte : NOT_A_CHARACTER;
        return 1;
    }
    // The lead byte's own bits, then six from each continuation byte.
    uint32_t c = byte & (0x7Fu >> step);
    for (size_t i = 1; i < step; ++i)
        c = c << 6 | (byte_at(text, i) & 0x3F);
    *code_point = c;
    return step;
}

// ---- Passing over characters in words ----------------------------------------

inline constexpr uint64_t HIGH_BITS = 0x8080808080808080u;

// Eight bytes as a number whose lowest byte is the first, on any machine.
static uint64_t word_at(const char *text) {
    uint64_t word;
    memcpy(&word, text, sizeof word);
    if constexpr (std::endian::native == std::endian::big) {
        uint64_t turned = 0;
        for (size_t i = 0; i < 8; ++i, word >>= 8)
            turned = turned << 8 | (word & 0xFF);
        word = turned;
    }
    return word;
}

// The number of ASCII bytes at the start of text, counted eight at a time: the
// common case, which needs no decoding. May stop short of the first other byte.
static size_t ascii_run(const char *text, size_t length) {
    size_t i = 0;
    while (i + 8 <= length && (word_at(text + i) & HIGH_BITS) == 0)
        i += 8;
    return i;
}

// Bytes looked at together in a plain loop, which the compiler turns into
// vector instructions.
inline constexpr size_t SHORT_BLOCK = 64;

// True for C2 to DF, the lead bytes of two-byte sequences that are no overlong form.
static bool leads_two(unsigned char byte) {
    return static_cast<unsigned char>(byte - 0xC2) < 0x1E;
}

// True when the SHORT_BLOCK bytes at text are ASCII and two-byte sequences
// (the text of most European languages), one of which may begin in the byte
// before (which must be readable) and one end after; *characters receives the
// characters that begin in the block.
static bool short_sequences(const char *text, size_t *characters) {
    uint64_t any = 0;
    for (size_t k = 0; k < SHORT_BLOCK; k += 8)
        any |= word_at(text + k);
    const auto *bytes = reinterpret_cast<const unsigned char *>(text);
    const unsigned char *before = bytes - 1;
    if ((any & HIGH_BITS) == 0 && !leads_two(before[0])) {
        *characters = SHORT_BLOCK;
        return true;
    }
    // Bytes only, that the vectors hold many at once.
    unsigned char wrong = 0, continuations = 0;
    for (size_t j = 0; j < SHORT_BLOCK; ++j) {
        unsigned char byte = bytes[j];
        unsigned char follows = (byte & 0xC0) == 0x80; // a continuation byte
        unsigned char after_lead = leads_two(before[j]);
        unsigned char overlong_lead = static_cast<unsigned char>(byte - 0xC0) < 2;
        // A continuation byte exactly after each lead byte; no other byte above 0x7F.
        wrong |= (follows ^ after_lead) | (byte >= 0xE0) | overlong_lead;
        continuations += follows;
    }
    *characters = SHORT_BLOCK - continuations;
    return wrong == 0;
}

size_t utf8_pass(const char *text, size_t length, size_t stop, size_t count, bool valid_only,
                 size_t *characters) {
    size_t i = 0, passed = 0;
    // Blocks go from the second character on, until one holds anything else;
    // its bytes are then taken one character at a time.
    size_t slow_until = 1;
    while (i < stop && passed < count) {
        if (i >= slow_until) {
            bool lead_last = false;
            while (stop - i >= SHORT_BLOCK && count - passed >= SHORT_BLOCK) {
                size_t block_characters = 0;
                if (!short_sequences(text + i, &block_characters))
                    break;
                i += SHORT_BLOCK;
                passed += block_characters;
                lead_last = leads_two(byte_at(text, i - 1));
            }
            // A sequence that the last block begins is taken again below, whole.
            if (lead_last) {
                --i;
                --passed;
            }
            slow_until = i + SHORT_BLOCK;
            if (i >= stop || passed >= count)
                break;
        }
        unsigned byte = byte_at(text, i);
        size_t step = 1;
        if (leads_two(byte) && i + 1 < length && (byte_at(text, i + 1) & 0xC0) == 0x80) {
            step = 2;
        } else if (byte >= 0x80) {
            Lead lead = lead_of(byte, !valid_only);
            bool whole =
                lead.length != 0 && continuation(text + i, length - i, lead) == lead.length - 1;
            if (!whole && valid_only)
                break;
            step = whole ? lead.length : 1;
        }
        i += step;
        ++passed;
    }
    *characters = passed;
    return i;
}

size_t utf8_count(const char *text, size_t length) {
    size_t count = 0;
    utf8_pass(text, length, length, length, false, &count);
    return count;
}

size_t utf8_skip(const char *text, size_t length, size_t count) {
    size_t passed = 0;
    return utf8_pass(text, length, length, count, false, &passed);
}

size_t utf8_cut(const char *text, size_t length, size_t limit) {
    if (length <= limit)
        return length;
    // A character that runs past limit begins at most three bytes before it,
    // with a byte that is no continuation byte.
    for (size_t back = 1; back <= UTF8_MAX - 1 && back <= limit; ++back) {
        size_t start = limit - back;
        if ((byte_at(text, start) & 0xC0) == 0x80)
            continue;
        return start + utf8_step(text + start, length - start) > limit ? start : limit;
    }
    return limit;
}

// Checks text as UTF-8, with surrogates when generalized; a sequence cut short
// by the end is accepted when allow_cut is set.
static bool check(const char *text, size_t length, bool allow_cut, bool generalized) {
    for (size_t i = 0; i < length;) {
        size_t characters = 0;
        i += utf8_pass(text + i, length - i, length - i, length - i, true, &characters);
        if (i == length)
            break;
        // A byte that is no valid UTF-8: the surrogate's form may still be allowed.
        Lead lead = lead_of(byte_at(text, i), generalized);
        if (lead.length == 0)
            return false;
        size_t more = continuation(text + i, length - i, lead);
        if (more != lead.length - 1)
            return allow_cut && i + 1 + more == length;
        i += lead.length;
    }
    return true;
}

bool utf8_is_valid(const char *text, size_t length) {
    return check(text, length, false, false);
}

bool utf8_is_valid_prefix(const char *text, size_t length) {
    return check(text, length, true, false);
}

bool wtf8_is_valid(const char *text, size_t length) {
    return check(text, length, false, true);
}

uint32_t wtf8_surrogate(const char *text, size_t length) {
    for (size_t i = 0; i < length;) {
        size_t run = ascii_run(text + i, length - i);
        if (run > 0) {
            i += run;
            continue;
        }
        uint32_t c = 0;
        i += utf8_decode(text + i, length - i, &c);
        if (c >= 0xD800 && c <= 0xDFFF)
            return c;
    }
    return 0;
}

size_t utf8_whole(const char *text, size_t length) {
    // A cut sequence is its lead byte and up to two more: look back that far.
    for (size_t back = 1; back <= UTF8_MAX - 1 && back <= length; ++back) {
        unsigned byte = byte_at(text, length - back);
        if ((byte & 0xC0) == 0x80)
            continue; // a continuation byte: its lead lies further back
        Lead lead = lead_of(byte, true);
        bool cut = lead.length > back && continuation(text + length - back, back, lead) == back - 1;
        return cut ? length - back : length;
    }
    return length;
}

size_t utf8_encode(uint32_t code_point, char *out) {
    if (code_point < 0x80) {
        out[0] = static_cast<char>(code_point);
        return 1;
    }
    if (code_point < 0x800) {
        out[0] = static_cast<char>(0xC0 | (code_point >> 6));
        out[1] = static_cast<char>(0x80 | (code_point & 0x3F));
        return 2;
    }
    if (code_point < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (code_point >> 12));
        out[1] = static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (code_point & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (code_point >> 18));
    out[1] = static_cast<char>(0x80 | ((code_point >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (code_point & 0x3F));
    return 4;
}

// ---- UTF-16 -------------------------------------------------------------------

bool utf16_is_high_surrogate(unsigned unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool utf16_is_low_surrogate(unsigned unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

static uint32_t combine(unsigned high, unsigned low) {
    return 0x10000 + ((static_cast<uint32_t>(high) - 0xD800) << 10) + (low - 0xDC00);
}

uint32_t utf16_unit_decode(unsigned unit, unsigned next, bool *pair) {
    *pair = utf16_is_high_surrogate(unit) && utf16_is_low_surrogate(next);
    if (*pair)
        return combine(unit, next);
    return utf16_is_high_surrogate(unit) || utf16_is_low_surrogate(unit) ? REPLACEMENT_CODE_POINT
                                                                         : unit;
}

static unsigned unit_of(wchar_t unit) {
    return static_cast<uint16_t>(unit);
}

// The character that units[i] begins, a lone surrogate as itself; *width
// receives the units it takes.
static uint32_t character_at(const wchar_t *units, size_t count, size_t i, size_t *width) {
    unsigned unit = unit_of(units[i]);
    if (utf16_is_high_surrogate(unit) && i + 1 < count &&
        utf16_is_low_surrogate(unit_of(units[i + 1]))) {
        *width = 2;
        return combine(unit, unit_of(units[i + 1]));
    }
    *width = 1;
    return unit;
}

static size_t encoded_length(uint32_t c) {
    return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
}

size_t utf16_to_wtf8(const wchar_t *units, size_t count, char *out, size_t size, size_t *taken) {
    size_t used = 0, i = 0;
    while (i < count) {
        size_t width = 1;
        uint32_t c = character_at(units, count, i, &width);
        if (encoded_length(c) > size - used)
            break;
        used += utf8_encode(c, out + used);
        i += width;
    }
    *taken = i;
    return used;
}

size_t utf16_wtf8_length(const wchar_t *units, size_t count) {
    size_t length = 0;
    for (size_t i = 0; i < count;) {
        size_t width = 1;
        length += encoded_length(character_at(units, count, i, &width));
        i += width;
    }
    return length;
}

// A character beyond the Basic Multilingual Plane takes two units (a byte that
// belongs to no valid sequence becomes U+FFFD, one unit).
static size_t unit_width(uint32_t c) {
    return c != NOT_A_CHARACTER && c >= 0x10000 ? 2 : 1;
}

size_t wtf8_utf16_length(const char *text, size_t length) {
    size_t units = 0;
    for (size_t i = 0; i < length;) {
        uint32_t c = 0;
        i += utf8_decode(text + i, length - i, &c);
        units += unit_width(c);
    }
    return units;
}

size_t utf16_encode(uint32_t code_point, wchar_t *units) {
    if (code_point < 0x10000) {
        units[0] = static_cast<wchar_t>(code_point);
        return 1;
    }
    units[0] = static_cast<wchar_t>(0xD800 + ((code_point - 0x10000) >> 10));
    units[1] = static_cast<wchar_t>(0xDC00 + ((code_point - 0x10000) & 0x3FF));
    return 2;
}

size_t wtf8_to_utf16(const char *text, size_t length, wchar_t *out, size_t capacity,
                     size_t *taken) {
    size_t used = 0, i = 0;
    while (i < length) {
        uint32_t c = 0;
        size_t step = utf8_decode(text + i, length - i, &c);
        size_t width = unit_width(c);
        if (c == NOT_A_CHARACTER)
            c = REPLACEMENT_CODE_POINT;
        if (width > capacity - used)
            break;
        used += utf16_encode(c, out + used);
        i += step;
    }
    *taken = i;
    return used;
}
