// Drives and the working directory of each.
//
// No heap: every buffer below is static and of fixed size, and every copy into
// one is bounded by its size.
#include <windows.h>

#include <climits>
#include <cstring>

#include "platform/platform.h"
#include "platform/platform_windows.h"
#include "platform/unicode.h"

static wchar_t directory_units[UNITS_BUFFER];

// The drive number of a path that begins with a letter and a colon, else 0.
static int drive_of(const wchar_t *path) {
    wchar_t letter = path[0];
    if (path[1] != L':')
        return 0;
    if (letter >= L'A' && letter <= L'Z')
        return letter - L'A' + 1;
    if (letter >= L'a' && letter <= L'z')
        return letter - L'a' + 1;
    return 0;
}

static DWORD current_directory() {
    DWORD length = GetCurrentDirectoryW(SYSTEM_CAPACITY, directory_units);
    return length < SYSTEM_CAPACITY ? length : 0;
}

int platform_get_drive() {
    return current_directory() > 0 ? drive_of(directory_units) : 0;
}

int platform_change_drive(int drive) {
    if (drive < 1 || drive > DRIVE_COUNT)
        return -1;
    // "X:" is the working directory that drive X had last.
    const wchar_t drive_name[] = {static_cast<wchar_t>(L'A' + drive - 1), L':', L'\0'};
    return SetCurrentDirectoryW(drive_name) ? 0 : -1;
}

int platform_get_drive_dir(int drive, char *buffer, size_t size) {
    DWORD length;
    if (drive == 0) {
        length = current_directory();
    } else {
        if (drive < 1 || drive > DRIVE_COUNT)
            return -1;
        const wchar_t letter = static_cast<wchar_t>(L'A' + drive - 1);
        const wchar_t root[] = {letter, L':', L'\\', L'\0'};
        if (GetDriveTypeW(root) <= DRIVE_NO_ROOT_DIR)
            return -1; // no drive behind the letter
        // "X:." rather than "X:", which may keep the directory's trailing backslash.
        const wchar_t drive_dot[] = {letter, L':', L'.', L'\0'};
        length = GetFullPathNameW(drive_dot, SYSTEM_CAPACITY, directory_units, nullptr);
        if (length >= SYSTEM_CAPACITY)
            length = 0;
    }
    if (length == 0)
        return -1;
    size_t bytes = utf16_wtf8_length(directory_units, length);
    if (bytes < size) {
        size_t taken = 0;
        utf16_to_wtf8(directory_units, length, buffer, size, &taken);
        buffer[bytes] = '\0';
    } else if (size > 0) {
        buffer[0] = '\0';
    }
    return bytes > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(bytes);
}

int platform_change_dir(const char *path) {
    // The working directory takes no \\?\ form: past 259 characters the change
    // may fail, and then simply fails.
    if (!system_units(path, directory_units, UNITS_BUFFER) ||
        !SetCurrentDirectoryW(directory_units))
        return -1;
    // As the C runtime's chdir does: the variable "=X:" remembers the drive's
    // working directory, for a later change to "X:" and for GetFullPathNameW.
    DWORD length = current_directory();
    int drive = length > 0 ? drive_of(directory_units) : 0;
    if (drive > 0) {
        const wchar_t name[] = {L'=', static_cast<wchar_t>(L'A' + drive - 1), L':', L'\0'};
        SetEnvironmentVariableW(name, directory_units);
    }
    return 0;
}
