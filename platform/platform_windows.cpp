// The Windows operations behind platform.h: the C runtime's low-level I/O,
// drive and directory calls, and the Win32 environment and registry.
//
// Standard output and error stay in the runtime's text mode, so a "\n" reaches
// the batch script as CR LF. Standard input is switched to binary once: the
// line readers do their own CR LF handling and must see every byte.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <direct.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>

#include "platform/platform.h"

#ifdef __MINGW32__
// The arguments arrive as the runtime split them, never expanded against the
// file system: "*.txt" is a text like any other. (The Microsoft runtime
// expands nothing unless linked with setargv.obj; mingw-w64 reads this flag.)
extern "C" {
int _dowildcard = 0;
}
#endif

// The runtime's byte counts are int: larger requests are served in parts.
static unsigned int clamp_to_int(size_t size) {
    return size > static_cast<size_t>(INT_MAX) ? static_cast<unsigned int>(INT_MAX)
                                               : static_cast<unsigned int>(size);
}

void platform_init() {
    // A drive without a medium must give an error code, not a dialog box that
    // stops an unattended script.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    _setmode(PLATFORM_STDIN, _O_BINARY);
}

void platform_exit(int code) {
    // The exit code is the 32-bit errorlevel: -1 arrives as -1.
    _exit(code);
}

bool platform_set_env(const char *name, const char *value) {
    return SetEnvironmentVariableA(name, value) != 0;
}

void platform_write(PlatformStream stream, const char *data, size_t length) {
    fwrite(data, 1, length, stream == STREAM_OUT ? stdout : stderr);
}

bool platform_flush_out() {
    return fflush(stdout) == 0 && !ferror(stdout);
}

int platform_open_read(const char *path) {
    int handle = _open(path, _O_RDONLY | _O_BINARY);
    if (handle < 0)
        return -1;
    // Whatever the runtime lets open, a directory is not a readable file.
    struct _stat64 info;
    if (_fstat64(handle, &info) != 0 || (info.st_mode & _S_IFMT) == _S_IFDIR) {
        _close(handle);
        return -1;
    }
    return handle;
}

// A byte that platform_peek_byte took from a device that cannot take it back;
// the next read of that handle returns it first.
static int held_handle = -1;
static char held_byte;

long platform_read(int handle, char *buffer, size_t size) {
    if (handle == held_handle && size > 0) {
        held_handle = -1;
        buffer[0] = held_byte;
        return 1;
    }
    return static_cast<long>(_read(handle, buffer, clamp_to_int(size)));
}

int platform_peek_byte(int handle) {
    HANDLE system_handle = reinterpret_cast<HANDLE>(_get_osfhandle(handle));
    if (system_handle != INVALID_HANDLE_VALUE && GetFileType(system_handle) == FILE_TYPE_PIPE) {
        // Waits for the writer: a byte, or the end when the pipe is closed.
        for (;;) {
            char byte;
            DWORD got = 0;
            if (!PeekNamedPipe(system_handle, &byte, 1, &got, nullptr, nullptr))
                return -1;
            if (got == 1)
                return static_cast<unsigned char>(byte);
            Sleep(1);
        }
    }
    char byte;
    if (platform_read(handle, &byte, 1) != 1)
        return -1;
    if (_lseeki64(handle, -1, SEEK_CUR) < 0) {
        held_handle = handle;
        held_byte = byte;
    }
    return static_cast<unsigned char>(byte);
}

void platform_close(int handle) {
    if (handle == held_handle)
        held_handle = -1;
    _close(handle);
}

bool platform_stat(const char *path, FileStatus *status) {
    // The 64-bit size: _stat64i32 would misreport files of 2 GiB and more.
    struct _stat64 info;
    if (_stat64(path, &info) != 0)
        return false;
    status->size = static_cast<int64_t>(info.st_size);
    status->modified = static_cast<int64_t>(info.st_mtime);
    status->is_directory = (info.st_mode & _S_IFMT) == _S_IFDIR;
    return true;
}

int platform_get_drive() {
    return _getdrive();
}

int platform_change_drive(int drive) {
    return _chdrive(drive);
}

int platform_get_drive_dir(int drive, char *buffer, size_t size) {
    if (size == 0)
        return 0;
    unsigned int capacity = clamp_to_int(size);
    errno = 0;
    if (_getdcwd(drive, buffer, static_cast<int>(capacity)) == nullptr) {
        buffer[0] = '\0';
        // Too small a buffer: the length is unknown, but it is at least size.
        return errno == ERANGE ? static_cast<int>(capacity) : -1;
    }
    const void *end = memchr(buffer, '\0', capacity);
    return end == nullptr ? static_cast<int>(capacity)
                          : static_cast<int>(static_cast<const char *>(end) - buffer);
}

int platform_change_dir(const char *path) {
    return _chdir(path);
}

long platform_registry_query(const char *key_path, const char *value_name, char *buffer,
                             size_t size) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key_path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return -1;
    DWORD capacity = size > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<DWORD>(size);
    DWORD length = capacity;
    // ERROR_MORE_DATA, the answer for data larger than the buffer, is a failure too.
    LONG status = RegQueryValueExA(key, value_name, nullptr, nullptr,
                                   reinterpret_cast<BYTE *>(buffer), &length);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || length > capacity)
        return -1;
    return static_cast<long>(length);
}
