// The Windows operations behind platform.h, but for the standard streams
// (console_windows.cpp), the peek at standard input (stdin_peek_windows.cpp)
// and code pages (code_page_windows.cpp). Text crosses
// platform.h as generalized UTF-8; this side converts it to UTF-16 at every
// system call (arguments, paths, directories, the environment, the registry),
// a lone surrogate as the unit it is, so that any name cmd.exe can pass
// reaches the system unchanged, whatever the ANSI code page.
//
// No heap: every buffer below is static and of fixed size, and every copy into
// one is bounded by its size.
#include <windows.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <fcntl.h>
#include <io.h>

#include "platform/command_line.h"
#include "platform/held_input.h"
#include "platform/platform.h"
#include "platform/platform_windows.h"
#include "platform/unicode.h"

#ifdef __MINGW32__
// The runtime's own argument list is never used, and it must not search the
// file system for "*.txt" while building it. (The Microsoft runtime expands
// nothing unless linked with setargv.obj; mingw-w64 reads this flag.)
extern "C" {
int _dowildcard = 0;
}
#endif

// ---- Names -------------------------------------------------------------------

static const DWORD SYSTEM_CAPACITY = static_cast<DWORD>(SYSTEM_UNITS);

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

// ---- Paths -------------------------------------------------------------------

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

// ---- Process -----------------------------------------------------------------

void platform_init() {
    // A drive without a medium must give an error code, not a dialog box that
    // stops an unattended script.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    streams_init();
}

// A command line holds at most 32,767 UTF-16 units, and each unit becomes at
// most three bytes of generalized UTF-8 (a surrogate pair, two units, becomes
// four; a lone surrogate three).
static char command_line[3 * SYSTEM_UNITS + 1];
// Every argument but the last is followed by a blank, so n units hold at most
// (n + 1) / 2 arguments; one more entry for the null pointer after the last.
static char *arguments[(SYSTEM_UNITS + 1) / 2 + 1];

void platform_arguments(int *argc, char ***argv) {
    const wchar_t *line = GetCommandLineW();
    size_t units = 0;
    while (units < SYSTEM_UNITS && line[units] != L'\0')
        ++units;
    size_t taken = 0;
    size_t length = utf16_to_wtf8(line, units, command_line, sizeof command_line - 1, &taken);
    command_line[length] = '\0';
    const int capacity = static_cast<int>(sizeof arguments / sizeof arguments[0]) - 1;
    int count = split_command_line(command_line, arguments, capacity);
    if (count > capacity)
        count = capacity;
    if (count == 0)
        arguments[count++] = command_line; // not even a program name: an empty one
    arguments[count] = nullptr;
    *argc = count;
    *argv = arguments;
}

void platform_exit(int code) {
    // The exit code is the 32-bit errorlevel: -1 arrives as -1.
    _exit(code);
}

static wchar_t name_units[UNITS_BUFFER];
static wchar_t value_units[UNITS_BUFFER];

bool platform_set_env(const char *name, const char *value) {
    return system_units(name, name_units, UNITS_BUFFER) &&
           system_units(value, value_units, UNITS_BUFFER) &&
           SetEnvironmentVariableW(name_units, value_units) != 0;
}

// ---- Letter case ---------------------------------------------------------------

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

// ---- Files and standard input ------------------------------------------------

// The runtime's byte counts are int: larger requests are served in parts.
static unsigned int clamp_to_int(size_t size) {
    return size > static_cast<size_t>(INT_MAX) ? static_cast<unsigned int>(INT_MAX)
                                               : static_cast<unsigned int>(size);
}

void *system_handle(int handle) {
    return reinterpret_cast<HANDLE>(_get_osfhandle(handle));
}

int platform_open_read(const char *path) {
    const wchar_t *name = system_path(path);
    if (name == nullptr)
        return -1;
    // Others may go on reading, writing, renaming or deleting the file. Without
    // FILE_FLAG_BACKUP_SEMANTICS a directory does not open.
    HANDLE file =
        CreateFileW(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return -1;
    int handle = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_RDONLY | _O_BINARY);
    if (handle < 0)
        CloseHandle(file);
    return handle < 0 ? -1 : handle;
}

// ReadFile itself, so that every error it reports stays an error (a disk
// that fails, a network share that goes away): only a pipe whose writer has
// closed it has ended.
long runtime_read(int handle, char *buffer, size_t size) {
    DWORD count = 0;
    if (ReadFile(system_handle(handle), buffer, clamp_to_int(size), &count, nullptr))
        return static_cast<long>(count);
    return GetLastError() == ERROR_BROKEN_PIPE ? 0 : -1;
}

long platform_read(int handle, char *buffer, size_t size) {
    long held = read_held(handle, buffer, size);
    return held >= 0 ? held : runtime_read(handle, buffer, size);
}

long platform_read_head(int handle, char *buffer, size_t size) {
    if (GetFileType(system_handle(handle)) != FILE_TYPE_DISK)
        return -1;
    // A read at an offset moves a synchronous handle's position too: it is
    // saved and put back.
    __int64 position = _lseeki64(handle, 0, SEEK_CUR);
    if (position < 0 || _lseeki64(handle, 0, SEEK_SET) < 0)
        return -1;
    size_t total = 0;
    int count = 0;
    while (total < size && (count = _read(handle, buffer + total, clamp_to_int(size - total))) > 0)
        total += static_cast<size_t>(count);
    if (_lseeki64(handle, position, SEEK_SET) < 0 || count < 0)
        return -1;
    return static_cast<long>(total);
}

void platform_close(int handle) {
    forget_held(handle);
    _close(handle);
}

// ---- File status -------------------------------------------------------------

// FILETIME counts 100 ns steps since 1601-01-01 UTC; whole seconds since 1970,
// rounded down, also before 1970.
static int64_t unix_seconds(FILETIME time) {
    const int64_t ticks_per_second = 10000000;
    const int64_t ticks_to_1970 = 116444736000000000;
    int64_t ticks = static_cast<int64_t>((static_cast<uint64_t>(time.dwHighDateTime) << 32) |
                                         time.dwLowDateTime) -
                    ticks_to_1970;
    int64_t seconds = ticks / ticks_per_second;
    if (ticks % ticks_per_second < 0)
        --seconds;
    return seconds;
}

static FileStatus status_of(DWORD size_high, DWORD size_low, FILETIME modified, DWORD attributes) {
    return FileStatus{static_cast<int64_t>((static_cast<uint64_t>(size_high) << 32) | size_low),
                      unix_seconds(modified), (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0};
}

// The status of what a symbolic link or junction points to, as the C runtime's
// stat gives it; false when the target is missing.
static bool link_target_status(const wchar_t *name, FileStatus *status) {
    HANDLE file = CreateFileW(name, FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION info;
    bool known = GetFileInformationByHandle(file, &info) != 0;
    CloseHandle(file);
    if (known)
        *status = status_of(info.nFileSizeHigh, info.nFileSizeLow, info.ftLastWriteTime,
                            info.dwFileAttributes);
    return known;
}

bool platform_stat(const char *path, FileStatus *status) {
    const wchar_t *name = system_path(path);
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (name == nullptr || !GetFileAttributesExW(name, GetFileExInfoStandard, &data))
        return false;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return link_target_status(name, status);
    *status = status_of(data.nFileSizeHigh, data.nFileSizeLow, data.ftLastWriteTime,
                        data.dwFileAttributes);
    return true;
}

// ---- Drives and working directories ------------------------------------------

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
    if (drive < 1 || drive > 26)
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
        if (drive < 1 || drive > 26)
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
    if (!system_units(path, path_units, UNITS_BUFFER) || !SetCurrentDirectoryW(path_units))
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

// ---- Registry ----------------------------------------------------------------

// String data as stored (UTF-16), before it becomes UTF-8: up to 64 KiB, the
// longest path and far beyond what the callers ask for; longer string data
// gives -1 whatever size the caller has.
static wchar_t registry_units[UNITS_BUFFER];

long platform_registry_query(const char *key_path, const char *value_name, char *buffer,
                             size_t size) {
    if (!system_units(key_path, name_units, UNITS_BUFFER) ||
        !system_units(value_name, value_units, UNITS_BUFFER))
        return -1;
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, name_units, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return -1;
    DWORD type = REG_NONE, length = 0;
    LONG status = RegQueryValueExW(key, value_units, nullptr, &type, nullptr, &length);
    bool text = type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
    if (status == ERROR_SUCCESS) {
        // ERROR_MORE_DATA, the answer for data larger than the buffer, is a failure too.
        BYTE *data =
            text ? reinterpret_cast<BYTE *>(registry_units) : reinterpret_cast<BYTE *>(buffer);
        length = text                 ? static_cast<DWORD>(sizeof registry_units)
                 : size > 0xFFFFFFFFu ? 0xFFFFFFFFu
                                      : static_cast<DWORD>(size);
        status = RegQueryValueExW(key, value_units, nullptr, &type, data, &length);
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
