// Code pages on Windows: what one holds, text written in one, 8-bit text read
// from one, and where its characters begin and end. Text arrives as
// generalized UTF-8 and is converted in pieces of bounded size that never split
// a character.
//
// No heap: every buffer below is static and of fixed size, and every copy into
// one is bounded by its size.
#include <windows.h>

#include <cstring>

#include "platform/platform.h"
#include "platform/platform_windows.h"
#include "platform/unicode.h"

// GB18030, the one code page whose characters take up to four bytes.
static const unsigned GB18030 = 54936;

size_t text_piece_units(const char *text, size_t length, wchar_t *units) {
    size_t used = 0;
    for (size_t i = 0; i < length;) {
        // A line end is part of no other character: the text between two can
        // be converted on its own.
        const void *found = memchr(text + i, '\n', length - i);
        size_t stop = found != nullptr
                          ? static_cast<size_t>(static_cast<const char *>(found) - text)
                          : length;
        size_t taken = 0;
        used += wtf8_to_utf16(text + i, stop - i, units + used, TEXT_PIECE_UNITS - used, &taken);
        i = stop;
        if (found != nullptr && used + 2 <= TEXT_PIECE_UNITS) {
            units[used++] = L'\r';
            units[used++] = L'\n';
            ++i;
        }
    }
    return used;
}

static wchar_t piece_units[TEXT_PIECE_UNITS];
static wchar_t round_trip_units[TEXT_PIECE_UNITS];
static char piece_bytes[TEXT_PIECE_BYTES_MAX];

// UTF-16 to the code page into piece_bytes. Code pages such as 65001 and 54936
// refuse WC_NO_BEST_FIT_CHARS, and take the conversion without flags.
static size_t units_to_code_page(UINT code_page, const wchar_t *units, size_t count, DWORD flags) {
    int bytes = WideCharToMultiByte(code_page, flags, units, static_cast<int>(count), piece_bytes,
                                    static_cast<int>(sizeof piece_bytes), nullptr, nullptr);
    if (bytes == 0 && flags != 0 && GetLastError() == ERROR_INVALID_FLAGS)
        bytes = WideCharToMultiByte(code_page, 0, units, static_cast<int>(count), piece_bytes,
                                    static_cast<int>(sizeof piece_bytes), nullptr, nullptr);
    return bytes > 0 ? static_cast<size_t>(bytes) : 0;
}

bool code_page_holds(unsigned code_page, const char *text, size_t length) {
    // A stray byte is no character that any code page could hold.
    if (!wtf8_is_valid(text, length))
        return false;
    while (length > 0) {
        size_t take = utf8_cut(text, length, TEXT_PIECE);
        size_t units = text_piece_units(text, take, piece_units);
        // Without flags a character the code page lacks becomes the default
        // character or a look-alike, and a lone surrogate, which no code page
        // holds, becomes one of them too; none of them comes back.
        size_t bytes = units_to_code_page(code_page, piece_units, units, 0);
        if (bytes == 0)
            return false;
        int back = MultiByteToWideChar(code_page, 0, piece_bytes, static_cast<int>(bytes),
                                       round_trip_units, static_cast<int>(TEXT_PIECE_UNITS));
        if (back <= 0 || static_cast<size_t>(back) != units ||
            memcmp(round_trip_units, piece_units, units * sizeof(wchar_t)) != 0)
            return false;
        text += take;
        length -= take;
    }
    return true;
}

bool code_page_write(unsigned code_page, std::FILE *file, const char *text, size_t length) {
    bool whole = true;
    while (length > 0) {
        size_t take = utf8_cut(text, length, TEXT_PIECE);
        size_t units = text_piece_units(text, take, piece_units);
        // A replaced character shows as the code page's default character
        // rather than as a look-alike, so that a reader sees it was replaced.
        size_t bytes = units_to_code_page(code_page, piece_units, units, WC_NO_BEST_FIT_CHARS);
        if (bytes == 0 || fwrite(piece_bytes, 1, bytes, file) != bytes)
            whole = false;
        text += take;
        length -= take;
    }
    return whole;
}

size_t code_page_length(unsigned code_page, const char *text, size_t length) {
    size_t total = 0;
    while (length > 0) {
        size_t take = utf8_cut(text, length, TEXT_PIECE);
        size_t units = text_piece_units(text, take, piece_units);
        total += units_to_code_page(code_page, piece_units, units, WC_NO_BEST_FIT_CHARS);
        text += take;
        length -= take;
    }
    return total;
}

// The lead bytes of the code page asked about last, learnt once from
// GetCPInfo; none for a code page of single bytes.
static unsigned lead_code_page = 0;
static bool lead_bytes[256];
static bool has_lead_bytes = false;

static void learn_lead_bytes(unsigned code_page) {
    if (code_page == lead_code_page)
        return;
    lead_code_page = code_page;
    memset(lead_bytes, 0, sizeof lead_bytes);
    has_lead_bytes = false;
    CPINFO info;
    if (code_page == GB18030) {
        for (unsigned byte = 0x81; byte <= 0xFE; ++byte)
            lead_bytes[byte] = true;
        has_lead_bytes = true;
    } else if (GetCPInfo(code_page, &info) && info.MaxCharSize == 2) {
        // Ranges of lead bytes, first and last, until a pair of zeros.
        for (size_t i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i] != 0; i += 2)
            for (unsigned byte = info.LeadByte[i]; byte <= info.LeadByte[i + 1]; ++byte)
                lead_bytes[byte] = has_lead_bytes = true;
    }
}

static bool is_digit_byte(unsigned byte) {
    return byte >= '0' && byte <= '9';
}

size_t code_page_step(unsigned code_page, const char *bytes, size_t length) {
    if (code_page == CP_UTF8)
        return utf8_step(bytes, length);
    learn_lead_bytes(code_page);
    const auto *b = reinterpret_cast<const unsigned char *>(bytes);
    if (!lead_bytes[b[0]] || length < 2)
        return 1;
    // GB18030's four-byte characters: lead, digit, lead, digit.
    if (code_page == GB18030 && is_digit_byte(b[1]))
        return length >= 4 && lead_bytes[b[2]] && is_digit_byte(b[3]) ? 4 : 1;
    // Every double-byte code page's trail bytes are 0x40 and above: a line
    // end, a control character or a digit never joins a lead byte.
    return b[1] >= 0x40 ? 2 : 1;
}

size_t code_page_pass(unsigned code_page, const char *bytes, size_t length, size_t stop,
                      size_t count, size_t *characters) {
    if (code_page == CP_UTF8)
        return utf8_pass(bytes, length, stop, count, false, characters);
    learn_lead_bytes(code_page);
    size_t at = 0, passed = 0;
    if (!has_lead_bytes) {
        at = passed = stop < count ? stop : count; // a character is a byte
    } else {
        for (; passed < count && at < stop; ++passed)
            at += code_page_step(code_page, bytes + at, length - at);
    }
    *characters = passed;
    return at;
}

size_t code_page_to_utf8(unsigned code_page, const char *bytes, size_t length, char *out,
                         size_t size) {
    size_t used = 0;
    for (size_t i = 0; i < length;) {
        // One character at a time, so that each character that code_page_step
        // finds becomes exactly one: U+FFFD when the code page has none for
        // those bytes (a broken double-byte character), never two.
        size_t step = code_page_step(code_page, bytes + i, length - i);
        wchar_t units[UTF8_MAX];
        int count = MultiByteToWideChar(code_page, 0, bytes + i, static_cast<int>(step), units,
                                        static_cast<int>(UTF8_MAX));
        bool one = count == 1 || (count == 2 && utf16_is_high_surrogate(units[0]) &&
                                  utf16_is_low_surrogate(units[1]));
        if (!one) {
            units[0] = static_cast<wchar_t>(REPLACEMENT_CODE_POINT);
            count = 1;
        }
        size_t taken = 0;
        size_t written =
            utf16_to_wtf8(units, static_cast<size_t>(count), out + used, size - used, &taken);
        if (taken == 0)
            break; // out is full
        used += written;
        i += step;
    }
    return used;
}

size_t platform_text_to_utf8(const char *bytes, size_t length, char *out, size_t size) {
    return code_page_to_utf8(platform_out_code_page(), bytes, length, out, size);
}

size_t platform_text_pass(const char *bytes, size_t length, size_t stop, size_t count,
                          size_t *characters) {
    return code_page_pass(platform_out_code_page(), bytes, length, stop, count, characters);
}
