// Values of the registry below HKEY_LOCAL_MACHINE.
//
// No heap: every buffer below is static and of fixed size, and every copy into
// one is bounded by its size.
#include <windows.h>

#include "platform/platform.h"
#include "platform/platform_windows.h"
#include "platform/unicode.h"

// String data as stored (UTF-16), before it becomes UTF-8: up to 64 KiB, the
// longest path and far beyond what the callers ask for; longer string data
// gives -1 whatever size the caller has.
static wchar_t registry_units[UNITS_BUFFER];
// The key's path and the value's name, as UTF-16.
static wchar_t key_units[UNITS_BUFFER];
static wchar_t value_name_units[UNITS_BUFFER];

long platform_registry_query(const char *key_path, const char *value_name, char *buffer,
                             size_t size) {
    if (!system_units(key_path, key_units, UNITS_BUFFER) ||
        !system_units(value_name, value_name_units, UNITS_BUFFER))
        return -1;
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key_units, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return -1;
    DWORD type = REG_NONE, length = 0;
    LONG status = RegQueryValueExW(key, value_name_units, nullptr, &type, nullptr, &length);
    bool text = type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
    if (status == ERROR_SUCCESS) {
        // ERROR_MORE_DATA, the answer for data larger than the buffer, is a failure too.
        BYTE *data =
            text ? reinterpret_cast<BYTE *>(registry_units) : reinterpret_cast<BYTE *>(buffer);
        length = text                 ? static_cast<DWORD>(sizeof registry_units)
                 : size > 0xFFFFFFFFu ? 0xFFFFFFFFu
                                      : static_cast<DWORD>(size);
        status = RegQueryValueExW(key, value_name_units, nullptr, &type, data, &length);
    }
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return -1;
    if (!text)
        return static_cast<long>(length);
    // Every unit as UTF-8, the zeros between and after the strings included.
    size_t units = length / sizeof(wchar_t);
    size_t bytes = utf16_wtf8_length(registry_units, units);
    if (bytes > size)
        return -1;
    size_t taken = 0;
    return static_cast<long>(utf16_to_wtf8(registry_units, units, buffer, size, &taken));
}
