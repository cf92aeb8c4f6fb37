// The size, modification time and kind of a path, links followed.
//
// No heap: every buffer below is static and of fixed size, and every copy into
// one is bounded by its size.
#include <windows.h>

#include <cstdint>

#include "platform/platform.h"
#include "platform/platform_windows.h"

// FILETIME counts 100 ns steps since 1601-01-01 UTC; whole seconds since 1970,
// rounded down, also before 1970.
int64_t unix_seconds(uint32_t high, uint32_t low) {
    const int64_t ticks_per_second = 10000000;
    const int64_t ticks_to_1970 = 116444736000000000;
    int64_t ticks = static_cast<int64_t>((static_cast<uint64_t>(high) << 32) | low) - ticks_to_1970;
    int64_t seconds = ticks / ticks_per_second;
    if (ticks % ticks_per_second < 0)
        --seconds;
    return seconds;
}

static FileStatus status_of(DWORD size_high, DWORD size_low, FILETIME modified, DWORD attributes) {
    return FileStatus{static_cast<int64_t>((static_cast<uint64_t>(size_high) << 32) | size_low),
                      unix_seconds(modified.dwHighDateTime, modified.dwLowDateTime),
                      (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0};
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
