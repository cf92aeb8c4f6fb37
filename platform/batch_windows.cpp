// The Windows operations that prepare what a batch file takes over from the
// program: environment values, full and short paths, files that cmd.exe reads
// back with "set /p", and names that no other process picks.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <io.h>

#include "platform/platform.h"
#include "platform/platform_windows.h"
#include "platform/unicode.h"

// The system's random source (RtlGenRandom), exported by advapi32 under this name.
extern "C" BOOLEAN NTAPI SystemFunction036(PVOID buffer, ULONG length);

// A value or path of the system, in UTF-16 units with its closing zero.
static wchar_t name_units[256];
static wchar_t value_units[UNITS_BUFFER];
static wchar_t long_units[UNITS_BUFFER];

bool platform_get_env(const char *name, char *buffer, size_t size) {
    if (!system_units(name, name_units, sizeof name_units / sizeof name_units[0]))
        return false;
    DWORD count = GetEnvironmentVariableW(name_units, value_units, UNITS_BUFFER);
    if (count == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND)
        return false;
    if (count > SYSTEM_UNITS)
        return false;
    return system_text(value_units, count, buffer, size) >= 0;
}

long platform_full_path(const char *path, char *buffer, size_t size) {
    if (!system_units(path, long_units, UNITS_BUFFER))
        return -1;
    DWORD count = GetFullPathNameW(long_units, SYSTEM_UNITS, value_units, nullptr);
    if (count == 0 || count >= SYSTEM_UNITS)
        return -1;
    return system_text(value_units, count, buffer, size);
}

// A path in the \\?\ form comes back from the system in that form too; the
// prefix is dropped again, so that the path reads as it was given.
long platform_short_path(const char *path, char *buffer, size_t size) {
    const wchar_t *name = system_path(path);
    if (name == nullptr)
        return -1;
    DWORD count = GetShortPathNameW(name, value_units, SYSTEM_UNITS);
    if (count == 0 || count >= SYSTEM_UNITS)
        return -1;
    wchar_t *start = value_units;
    if (strncmp(path, "\\\\?\\", 4) != 0) {
        if (wcsncmp(start, L"\\\\?\\UNC\\", 8) == 0) {
            start += 6; // \\?\UNC\server becomes \\server
            start[0] = L'\\';
        } else if (wcsncmp(start, L"\\\\?\\", 4) == 0) {
            start += 4;
        }
    }
    return system_text(start, count - static_cast<size_t>(start - value_units), buffer, size);
}

// Wine's cmd.exe, run without a console, reads "set /p" input in the ANSI code
// page, where the Windows one reads it in the OEM code page, as it reads
// batch files and the output of programs.
static bool running_under_wine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

unsigned platform_batch_code_page() {
    unsigned code_page = console_output_code_page();
    if (code_page != 0)
        return code_page;
    return running_under_wine() ? GetACP() : GetOEMCP();
}

bool platform_batch_can_hold(const char *text, size_t length) {
    return code_page_holds(platform_batch_code_page(), text, length);
}

size_t platform_batch_length(const char *text, size_t length) {
    return code_page_length(platform_batch_code_page(), text, length);
}

PlatformCreated platform_write_new_file(const char *path, const char *text, size_t length) {
    const wchar_t *name = system_path(path);
    if (name == nullptr)
        return CREATE_FAILED;
    HANDLE file =
        CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_EXISTS ? ALREADY_EXISTS : CREATE_FAILED;
    int handle = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_WRONLY | _O_BINARY);
    std::FILE *stream = handle >= 0 ? _fdopen(handle, "wb") : nullptr;
    bool whole = false;
    if (stream != nullptr) {
        whole = code_page_write(platform_batch_code_page(), stream, text, length);
        whole = fclose(stream) == 0 && whole;
    } else if (handle >= 0) {
        _close(handle);
    } else {
        CloseHandle(file);
    }
    if (!whole)
        DeleteFileW(system_path(path));
    return whole ? CREATED : CREATE_FAILED;
}

PlatformCreated platform_make_new_dir(const char *path) {
    const wchar_t *name = system_path(path);
    if (name == nullptr)
        return CREATE_FAILED;
    if (CreateDirectoryW(name, nullptr))
        return CREATED;
    return GetLastError() == ERROR_ALREADY_EXISTS ? ALREADY_EXISTS : CREATE_FAILED;
}

bool platform_remove_file(const char *path) {
    const wchar_t *name = system_path(path);
    return name != nullptr && DeleteFileW(name);
}

bool platform_remove_dir(const char *path) {
    const wchar_t *name = system_path(path);
    return name != nullptr && RemoveDirectoryW(name);
}

// The entry's name as UTF-8, in the room for the longest name a folder holds.
static char entry_name[3 * MAX_PATH + 1];

bool platform_list_dir(const char *path, void (*visit)(const PlatformEntry &entry, void *context),
                       void *context) {
    // The folder and "\*", in the form that takes long paths.
    static char pattern[3 * SYSTEM_UNITS + 3];
    size_t length = strlen(path);
    if (length + 3 > sizeof pattern)
        return false;
    // Not ended here: the next copy ends the pattern with the zero byte of "\\*".
    // NOLINTNEXTLINE(bugprone-not-null-terminated-result)
    memcpy(pattern, path, length);
    memcpy(pattern + length, "\\*", 3);
    const wchar_t *name = system_path(pattern);
    WIN32_FIND_DATAW found;
    HANDLE search = name == nullptr
                        ? INVALID_HANDLE_VALUE
                        : FindFirstFileExW(name, FindExInfoBasic, &found, FindExSearchNameMatch,
                                           nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    do {
        if (wcscmp(found.cFileName, L".") == 0 || wcscmp(found.cFileName, L"..") == 0 ||
            system_text(found.cFileName, wcslen(found.cFileName), entry_name, sizeof entry_name) <
                0)
            continue;
        bool link = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        bool directory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        visit(PlatformEntry{entry_name, directory && !link, !directory && !link,
                            unix_seconds(found.ftLastWriteTime.dwHighDateTime,
                                         found.ftLastWriteTime.dwLowDateTime)},
              context);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return true;
}

int64_t platform_now() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return unix_seconds(now.dwHighDateTime, now.dwLowDateTime);
}

uint32_t platform_random() {
    uint32_t value = 0;
    if (!SystemFunction036(&value, sizeof value)) {
        LARGE_INTEGER counter;
        QueryPerformanceCounter(&counter);
        value = GetCurrentProcessId() * 2654435761u ^ static_cast<uint32_t>(counter.QuadPart);
    }
    return value;
}
