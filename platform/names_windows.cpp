// Names and paths as the system takes them: generalized UTF-8 to UTF-16 and
// back, a lone surrogate as the unit it is, and the form of a path that lifts
// the 259-character limit.
//
// No heap: every buffer below is static and of fixed size, and every copy into
// one is bounded by its size.
#include <windows.h>

#include <cstring>
#include <cwchar>

#include "platform/platform_windows.h"
#include "platform/unicode.h"

bool system_units(const char *text, wchar_t *out, size_t capacity) {
    size_t length = strlen(text), taken = 0;
    if (!wtf8_is_valid(text, length))
        return false;
    size_t units = wtf8_to_utf16(text, length, out, capacity - 1, &taken);
    out[units] = L'\0';
    return taken == length;
}

long system_text(const wchar_t *units, size_t count, char *buffer, size_t size) {
    if (size == 0 || utf16_wtf8_length(units, count) >= size)
        return -1;
    size_t taken = 0;
    size_t length = utf16_to_wtf8(units, count, buffer, size - 1, &taken);
    buffer[length] = '\0';
    return static_cast<long>(length);
}

static wchar_t path_units[UNITS_BUFFER];
// The full path, with room before it for the longest prefix, \\?\UNC.
static const size_t PREFIX_ROOM = 8;
static wchar_t full_path_units[PREFIX_ROOM + UNITS_BUFFER];

static bool starts_with(const wchar_t *text, const wchar_t *start) {
    return wcsncmp(text, start, wcslen(start)) == 0;
}

const wchar_t *system_path(const char *path) {
    if (!system_units(path, path_units, UNITS_BUFFER))
        return nullptr;
    wchar_t *full = full_path_units + PREFIX_ROOM;
    DWORD length = GetFullPathNameW(path_units, SYSTEM_CAPACITY, full, nullptr);
    if (length == 0)
        return path_units; // (the empty path, for one): the system answers for itself
    if (length >= SYSTEM_CAPACITY)
        return nullptr;
    // Below 260 characters the system takes the path as it is, and reads it
    // exactly as GetFullPathNameW did.
    if (length < MAX_PATH)
        return path_units;
    // A device (\\.\NUL) or a path already in the long form needs no prefix.
    if (starts_with(full, L"\\\\.\\") || starts_with(full, L"\\\\?\\"))
        return full;
    // The \\?\ form is taken literally, without the usual clean-up of "."
    // and ".." and "/": the full path has had that already.
    if (starts_with(full, L"\\\\")) {
        wchar_t *unc = full + 1 - 7; // \\server\share becomes \\?\UNC\server\share
        memcpy(unc, L"\\\\?\\UNC", 7 * sizeof(wchar_t));
        return unc;
    }
    wchar_t *prefixed = full - 4;
    memcpy(prefixed, L"\\\\?\\", 4 * sizeof(wchar_t));
    return prefixed;
}
