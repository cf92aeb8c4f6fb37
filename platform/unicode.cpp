// Counting, cutting and checking UTF-8 text.
#include "platform/unicode.h"

#include <cstring>

static unsigned byte_at(const char *text, size_t i) {
    return static_cast<unsigned char>(text[i]);
}

// The number of ASCII bytes at the start of text, counted eight at a time: the
// common case, which needs no decoding. May stop short of the first other byte.
static size_t ascii_run(const char *text, size_t length) {
    size_t i = 0;
    for (; i + 8 <= length; i += 8) {
        uint64_t word;
        memcpy(&word, text + i, sizeof word);
        if ((word & 0x8080808080808080u) != 0)
            break;
    }
    return i;
}

// The length a lead byte announces and the smallest and largest second byte
// that keep the sequence well formed (no overlong form, no surrogate, nothing
// beyond U+10FFFF); 0 for a byte that leads no sequence.
struct Lead {
    size_t length;
    unsigned low, high;
};

static Lead lead_of(unsigned byte) {
    if (byte >= 0xC2 && byte <= 0xDF)
        return Lead{2, 0x80, 0xBF};
    if (byte == 0xE0)
        return Lead{3, 0xA0, 0xBF};
    if (byte == 0xED)
        return Lead{3, 0x80, 0x9F};
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
    Lead lead = lead_of(byte);
    if (lead.length == 0 || continuation(text, length, lead) != lead.length - 1)
        return 1;
    return lead.length;
}

// Passes over at most limit characters of text; returns the bytes passed and
// puts the number of characters in *count.
static size_t pass(const char *text, size_t length, size_t limit, size_t *count) {
    size_t i = 0, passed = 0;
    while (passed < limit && i < length) {
        size_t run = ascii_run(text + i, limit - passed < length - i ? limit - passed : length - i);
        if (run > 0) {
            i += run;
            passed += run;
            continue;
        }
        i += utf8_step(text + i, length - i);
        ++passed;
    }
    *count = passed;
    return i;
}

size_t utf8_count(const char *text, size_t length) {
    size_t count = 0;
    pass(text, length, length, &count);
    return count;
}

size_t utf8_skip(const char *text, size_t length, size_t count) {
    size_t passed = 0;
    return pass(text, length, count, &passed);
}

// Checks text as UTF-8; a sequence cut short by the end is accepted when
// allow_cut is set.
static bool check(const char *text, size_t length, bool allow_cut) {
    for (size_t i = 0; i < length;) {
        size_t run = ascii_run(text + i, length - i);
        if (run > 0) {
            i += run;
            continue;
        }
        if (byte_at(text, i) < 0x80) {
            ++i;
            continue;
        }
        Lead lead = lead_of(byte_at(text, i));
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
    return check(text, length, false);
}

bool utf8_is_valid_prefix(const char *text, size_t length) {
    return check(text, length, true);
}

size_t utf8_whole(const char *text, size_t length) {
    // A cut sequence is its lead byte and up to two more: look back that far.
    for (size_t back = 1; back <= UTF8_MAX - 1 && back <= length; ++back) {
        unsigned byte = byte_at(text, length - back);
        if ((byte & 0xC0) == 0x80)
            continue; // a continuation byte: its lead lies further back
        Lead lead = lead_of(byte);
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
