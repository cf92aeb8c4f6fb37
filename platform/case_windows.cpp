// Letter case by the system's own mapping, the same for every language.
//
// No heap: every buffer below is static and of fixed size, and every copy into
// one is bounded by its size.
#include <windows.h>

#include "platform/platform.h"
#include "platform/unicode.h"

// The character in the case that flags ask for, by the system's mapping in
// the invariant locale: the same for every user (no Turkish dotless i), and
// one character for one.
static uint32_t mapped_case(uint32_t character, DWORD flags) {
    if (character > 0x10FFFF || (character >= 0xD800 && character <= 0xDFFF))
        return character;
    wchar_t units[2], mapped[4];
    int count = static_cast<int>(utf16_encode(character, units));
    int length =
        LCMapStringEx(LOCALE_NAME_INVARIANT, flags, units, count, mapped, 4, nullptr, nullptr, 0);
    if (length == 1 && !utf16_is_high_surrogate(mapped[0]) && !utf16_is_low_surrogate(mapped[0]))
        return mapped[0];
    bool pair = false;
    uint32_t decoded = length == 2 ? utf16_unit_decode(mapped[0], mapped[1], &pair) : 0;
    return pair ? decoded : character;
}

uint32_t platform_lower_case(uint32_t character) {
    return mapped_case(character, LCMAP_LOWERCASE);
}

uint32_t platform_upper_case(uint32_t character) {
    return mapped_case(character, LCMAP_UPPERCASE);
}
