// Files and standard input, read as raw bytes through the system's handles.
//
// No heap: every buffer below is static and of fixed size, and every copy into
// one is bounded by its size.
#include <windows.h>

#include <climits>
#include <cstdint>
#include <fcntl.h>
#include <io.h>

#include "platform/held_input.h"
#include "platform/platform.h"
#include "platform/platform_windows.h"

// The runtime's byte counts are int: larger requests are served in parts.
static unsigned int clamp_to_int(size_t size) {
    return size > static_cast<size_t>(INT_MAX) ? static_cast<unsigned int>(INT_MAX)
                                               : static_cast<unsigned int>(size);
}

void *system_handle(int handle) {
    // The runtime hands the system handle over as an intptr_t; the cast is the
    // only way back to a HANDLE.
    // NOLINTNEXTLINE(performance-no-int-to-ptr)
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
