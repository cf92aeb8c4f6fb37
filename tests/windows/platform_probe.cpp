// Calls the Windows platform operations one by one, as its arguments ask, and
// prints one line per operation, so that a batch test can check each of them
// through real Windows (here Wine) calls:
//
//   stat PATH             size, modification time and directory bit
//   read PATH             whole file through platform_open_read/platform_read
//   stdin                 whole standard input through platform_read
//   errormode             the error-mode flags that platform_init set
//   drive                 current drive number
//   chdrive N             platform_change_drive's result
//   dcwd N SIZE           platform_get_drive_dir with a buffer of SIZE bytes
//   cwd                   the working directory of the current drive, alone
//   chdir PATH            platform_change_dir's result
//   reg KEY VALUE SIZE    platform_registry_query with a buffer of SIZE bytes
//   env NAME VALUE        platform_set_env, then the value read back from Windows
//   out TEXT, err TEXT    TEXT and a line end on standard output or error
//   exit N                flushes standard output and ends with code N
//   mkbig PATH BYTES      (fixture) a sparse file of that size
//   settime PATH SECONDS  (fixture) sets the modification time of a file or
//                         directory, in seconds since 1970
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <winioctl.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

static void say(const char *format, ...) {
    char line[2048];
    va_list args;
    va_start(args, format);
    vsnprintf(line, sizeof line, format, args);
    va_end(args);
    platform_write(STREAM_OUT, line, strlen(line));
    platform_write(STREAM_OUT, "\n", 1);
}

// Printable ASCII as it is, every other byte as <XX>.
static void render(const char *data, size_t length, char *text, size_t size) {
    size_t used = 0;
    text[0] = '\0';
    for (size_t i = 0; i < length && used + 5 < size; ++i) {
        unsigned char c = static_cast<unsigned char>(data[i]);
        int n = (c >= 0x20 && c < 0x7f) ? snprintf(text + used, size - used, "%c", c)
                                        : snprintf(text + used, size - used, "<%02X>", c);
        used += static_cast<size_t>(n);
    }
}

// Reads a handle to its end in pieces of 7 bytes, so that several reads are needed.
static void read_all(const char *label, int handle) {
    char data[400];
    size_t total = 0;
    long count = 0;
    while (total + 7 <= sizeof data && (count = platform_read(handle, data + total, 7)) > 0)
        total += static_cast<size_t>(count);
    char text[4 * sizeof data + 8];
    render(data, total, text, sizeof text);
    say("%s: %zu bytes%s: %s", label, total, count < 0 ? " and a read error" : "", text);
}

static long long number(const char *text) {
    return strtoll(text, nullptr, 10);
}

static bool make_sparse_file(const char *path, long long bytes) {
    HANDLE file =
        CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD returned = 0;
    DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
    LARGE_INTEGER end;
    end.QuadPart = bytes;
    bool ok = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
    return ok;
}

static bool set_modified(const char *path, long long seconds) {
    HANDLE file = CreateFileA(path, FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    // FILETIME counts 100 ns steps since 1601-01-01 UTC.
    unsigned long long ticks =
        (static_cast<unsigned long long>(seconds) + 11644473600ull) * 10000000ull;
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(ticks);
    time.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    bool ok = SetFileTime(file, nullptr, nullptr, &time) != 0;
    CloseHandle(file);
    return ok;
}

// Runs the operation at argv[i]; returns the index of the next one.
static int step(int argc, char **argv, int i) {
    const char *op = argv[i];
    auto need = [&](int count) {
        if (i + count >= argc) {
            say("%s: missing arguments", op);
            exit(2);
        }
    };
    if (strcmp(op, "stat") == 0) {
        need(1);
        FileStatus status;
        if (platform_stat(argv[i + 1], &status))
            say("stat %s: size=%lld modified=%lld dir=%d", argv[i + 1],
                static_cast<long long>(status.size), static_cast<long long>(status.modified),
                status.is_directory ? 1 : 0);
        else
            say("stat %s: failed", argv[i + 1]);
        return i + 2;
    }
    if (strcmp(op, "read") == 0) {
        need(1);
        int handle = platform_open_read(argv[i + 1]);
        char label[600];
        snprintf(label, sizeof label, "read %s", argv[i + 1]);
        if (handle < 0) {
            say("%s: cannot open", label);
        } else {
            read_all(label, handle);
            platform_close(handle);
        }
        return i + 2;
    }
    if (strcmp(op, "stdin") == 0) {
        read_all("stdin", PLATFORM_STDIN);
        return i + 1;
    }
    if (strcmp(op, "errormode") == 0) {
        UINT mode = GetErrorMode();
        say("errormode: failcriticalerrors=%d noopenfileerrorbox=%d",
            (mode & SEM_FAILCRITICALERRORS) != 0, (mode & SEM_NOOPENFILEERRORBOX) != 0);
        return i + 1;
    }
    if (strcmp(op, "drive") == 0) {
        say("drive: %d", platform_get_drive());
        return i + 1;
    }
    if (strcmp(op, "chdrive") == 0) {
        need(1);
        int result = platform_change_drive(static_cast<int>(number(argv[i + 1])));
        say("chdrive %s: %d", argv[i + 1], result);
        return i + 2;
    }
    if (strcmp(op, "dcwd") == 0) {
        need(2);
        char buffer[1024];
        memset(buffer, '#', sizeof buffer);
        size_t size = static_cast<size_t>(number(argv[i + 2]));
        if (size > sizeof buffer - 1)
            size = sizeof buffer - 1;
        int length = platform_get_drive_dir(static_cast<int>(number(argv[i + 1])), buffer, size);
        bool fits = length >= 0 && static_cast<size_t>(length) < size;
        if (!fits)
            say("dcwd %s %s: %s", argv[i + 1], argv[i + 2], length < 0 ? "unreadable" : "too long");
        else if (strlen(buffer) != static_cast<size_t>(length))
            say("dcwd %s %s: length %d does not match the text", argv[i + 1], argv[i + 2], length);
        else
            say("dcwd %s %s: %s", argv[i + 1], argv[i + 2], buffer);
        if (buffer[size] != '#')
            say("dcwd wrote past its buffer");
        return i + 3;
    }
    if (strcmp(op, "cwd") == 0) {
        char buffer[1024];
        int length = platform_get_drive_dir(0, buffer, sizeof buffer);
        if (length < 0 || static_cast<size_t>(length) != strlen(buffer))
            say("cwd: length %d does not match", length);
        else
            say("cwd: %s", buffer);
        return i + 1;
    }
    if (strcmp(op, "chdir") == 0) {
        need(1);
        say("chdir %s: %d", argv[i + 1], platform_change_dir(argv[i + 1]));
        return i + 2;
    }
    if (strcmp(op, "reg") == 0) {
        need(3);
        char data[512];
        size_t size = static_cast<size_t>(number(argv[i + 3]));
        if (size > sizeof data - 1)
            size = sizeof data - 1;
        memset(data, '#', sizeof data);
        long length = platform_registry_query(argv[i + 1], argv[i + 2], data, size);
        char text[4 * sizeof data + 8];
        render(data, length > 0 ? static_cast<size_t>(length) : 0, text, sizeof text);
        say("reg %s %s: %ld %s", argv[i + 2], argv[i + 3], length, text);
        if (data[size] != '#')
            say("reg wrote past its buffer");
        return i + 4;
    }
    if (strcmp(op, "env") == 0) {
        need(2);
        if (!platform_set_env(argv[i + 1], argv[i + 2])) {
            say("env %s: refused", argv[i + 1]);
        } else {
            char value[512];
            DWORD length = GetEnvironmentVariableA(argv[i + 1], value, sizeof value);
            say("env %s: now \"%s\"", argv[i + 1], length < sizeof value ? value : "?");
        }
        return i + 3;
    }
    if (strcmp(op, "out") == 0 || strcmp(op, "err") == 0) {
        need(1);
        PlatformStream stream = op[0] == 'o' ? STREAM_OUT : STREAM_ERR;
        platform_write(stream, argv[i + 1], strlen(argv[i + 1]));
        platform_write(stream, "\n", 1);
        return i + 2;
    }
    if (strcmp(op, "exit") == 0) {
        need(1);
        if (!platform_flush_out())
            exit(3);
        platform_exit(static_cast<int>(number(argv[i + 1])));
    }
    if (strcmp(op, "mkbig") == 0) {
        need(2);
        say("mkbig: %s", make_sparse_file(argv[i + 1], number(argv[i + 2])) ? "ok" : "failed");
        return i + 3;
    }
    if (strcmp(op, "settime") == 0) {
        need(2);
        say("settime: %s", set_modified(argv[i + 1], number(argv[i + 2])) ? "ok" : "failed");
        return i + 3;
    }
    say("unknown operation %s", op);
    exit(2);
}

int main(int argc, char **argv) {
    platform_init();
    for (int i = 1; i < argc;)
        i = step(argc, argv, i);
    if (!platform_flush_out())
        return 3;
    return 0;
}
