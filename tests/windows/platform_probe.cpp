// Calls the Windows platform operations one by one, as its arguments ask, and
// prints one line per operation, so that a batch test can check each of them
// through real Windows (here Wine) calls:
//
//   stat PATH             size, modification time and directory bit
//   read PATH             whole file through platform_open_read/platform_read
//   stdin                 whole standard input through platform_read
//   same PATH1 PATH2      whether two files hold the same bytes (Wine's fc /b
//                         finds every two files the same)
//   errormode             the error-mode flags that platform_init set
//   drive                 current drive number
//   chdrive N             platform_change_drive's result
//   dcwd N SIZE           platform_get_drive_dir with a buffer of SIZE bytes
//   cwd                   the working directory of the current drive, alone
//   chdir PATH            platform_change_dir's result
//   reg KEY VALUE SIZE    platform_registry_query with a buffer of SIZE bytes
//   env NAME VALUE        platform_set_env, then the value read back from Windows
//                         (in KEY, VALUE and the env VALUE, {HEX} stands for that
//                         code point; values are shown as code points)
//   out TEXT, err TEXT    TEXT and a line end on standard output or error
//   exit N                flushes standard output and ends with code N
//   canout TEXT           platform_can_write_out and platform_out_code_page
//   encode CP N TEXT      whether code page CP holds TEXT, and the bytes written
//                         for TEXT repeated N times and a line end
//   decode CP HEX SIZE    the bytes HEX in code page CP as UTF-8, in SIZE bytes
//   step CP HEX           the bytes HEX in code page CP, one group per character,
//                         and their characters counted in one pass
//   case HEX...           the lower-case and upper-case forms of each code point
//   syspath PATH          the UTF-16 path that the file calls give the system
//   peek N, head N        platform_peek and platform_read_head on standard input
//   conline N             platform_read_console_line of N characters, as code points
//   file PATH             on a file: a read, platform_peek, platform_read_head,
//                         the rest
//   run COMMAND           runs the command line ({HEX} as above, a lone surrogate
//                         included) with standard output and error shared; its
//                         exit code
//   pipe NOW LATER N      platform_peek of N bytes on a pipe that holds NOW, and
//                         gets LATER and its end from another thread 50 ms later;
//                         then a read of all
//   newfile PATH, newdir PATH  platform_write_new_file (of "new" and a line end)
//                         and platform_make_new_dir: made, or taken already
//   list PATH             platform_list_dir: each entry, its kind, and whether it
//                         changed in the last hour
//   batchlen TEXT         platform_batch_length of TEXT ({HEX} as above)
//   mkbig PATH BYTES      (fixture) a sparse file of that size
//   settime PATH SECONDS  (fixture) sets the modification time of a file or
//                         directory, in seconds since 1970
//   wait SECONDS PATH     (fixture) sleeps until PATH exists, for at most
//                         SECONDS; prints a line only when it does not appear
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <winioctl.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <io.h>

#include "platform/platform.h"
#include "platform/platform_windows.h"
#include "platform/unicode.h"

static void say(const char *format, ...) {
    char line[2048];
    va_list args;
    va_start(args, format);
    vsnprintf(line, sizeof line, format, args);
    va_end(args);
    platform_write(STREAM_OUT, line, strlen(line));
    platform_write(STREAM_OUT, "\n", 1);
}

// Printable ASCII as it is, every other byte as <XX>; with runs set, a run of
// eight or more equal bytes as one of them and *count.
static void render(const char *data, size_t length, char *text, size_t size, bool runs = false) {
    size_t used = 0;
    text[0] = '\0';
    for (size_t i = 0; i < length && used + 16 < size;) {
        unsigned char c = static_cast<unsigned char>(data[i]);
        size_t run = 1;
        while (runs && i + run < length && data[i + run] == data[i])
            ++run;
        int n = (c >= 0x20 && c < 0x7f) ? snprintf(text + used, size - used, "%c", c)
                                        : snprintf(text + used, size - used, "<%02X>", c);
        used += static_cast<size_t>(n);
        if (run >= 8)
            used += static_cast<size_t>(snprintf(text + used, size - used, "*%zu", run));
        i += run >= 8 ? run : 1;
    }
}

// UTF-16 text: printable ASCII as it is, other units as {XXXX}, a run of eight
// or more equal units as one of them and *count.
static void render_units(const wchar_t *units, char *text, size_t size) {
    size_t used = 0;
    text[0] = '\0';
    for (size_t i = 0; units[i] != L'\0' && used + 16 < size;) {
        unsigned c = static_cast<unsigned>(units[i]);
        size_t run = 1;
        while (units[i + run] == units[i])
            ++run;
        int n = (c >= 0x20 && c < 0x7f) ? snprintf(text + used, size - used, "%c", c)
                                        : snprintf(text + used, size - used, "{%04X}", c);
        used += static_cast<size_t>(n);
        if (run >= 8)
            used += static_cast<size_t>(snprintf(text + used, size - used, "*%zu", run));
        i += run >= 8 ? run : 1;
    }
}

// A text whose {HEX} marks stand for the characters of those code points, as
// UTF-8, so that a batch file in code page 437 can spell any character.
static size_t unescape(const char *in, char *out, size_t size) {
    size_t used = 0;
    while (*in != '\0' && used + 4 < size) {
        const char *close = *in == '{' ? strchr(in, '}') : nullptr;
        if (close == nullptr) {
            out[used++] = *in++;
            continue;
        }
        unsigned long c = strtoul(in + 1, nullptr, 16);
        in = close + 1;
        if (c < 0x80) {
            out[used++] = static_cast<char>(c);
        } else if (c < 0x800) {
            out[used++] = static_cast<char>(0xC0 | (c >> 6));
            out[used++] = static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out[used++] = static_cast<char>(0xE0 | (c >> 12));
            out[used++] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out[used++] = static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out[used++] = static_cast<char>(0xF0 | (c >> 18));
            out[used++] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out[used++] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out[used++] = static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    out[used] = '\0';
    return used;
}

// UTF-8 text as code points: ASCII as it is, everything else as {HEX}.
static void render_code_points(const char *data, size_t length, char *text, size_t size) {
    size_t used = 0;
    text[0] = '\0';
    for (size_t i = 0; i < length && used + 16 < size;) {
        unsigned char c = static_cast<unsigned char>(data[i]);
        size_t count = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        unsigned long point = count == 1 ? c : c & (0x3F >> (count - 1));
        for (size_t k = 1; k < count && i + k < length; ++k)
            point = (point << 6) | (static_cast<unsigned char>(data[i + k]) & 0x3F);
        int n = point < 0x80 ? snprintf(text + used, size - used, "%c", static_cast<char>(point))
                             : snprintf(text + used, size - used, "{%lX}", point);
        used += static_cast<size_t>(n);
        i += count;
    }
}

// Reads a handle to its end (at most size bytes).
static size_t read_rest(int handle, char *data, size_t size) {
    size_t total = 0;
    long count = 0;
    while (total < size && (count = platform_read(handle, data + total, size - total)) > 0)
        total += static_cast<size_t>(count);
    return total;
}

// One line "label: count bytes" with the bytes rendered, or "label: -1".
static void say_bytes(const char *label, long count, const char *data) {
    char text[256];
    render(data, count > 0 ? static_cast<size_t>(count) : 0, text, sizeof text);
    say("%s: %ld %s", label, count, text);
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

// The bytes that a text of hexadecimal pairs stands for; their count.
static size_t hex_bytes(const char *hex, char *bytes, size_t size) {
    size_t length = 0;
    for (; hex[0] != '\0' && hex[1] != '\0' && length < size; hex += 2) {
        const char pair[] = {hex[0], hex[1], '\0'};
        bytes[length++] = static_cast<char>(strtoul(pair, nullptr, 16));
    }
    return length;
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

// The writing end of a pipe, and what it writes before it closes.
struct LateWrite {
    HANDLE writer;
    const char *text;
};

static DWORD WINAPI write_late(void *context) {
    const LateWrite *late = static_cast<const LateWrite *>(context);
    Sleep(50);
    DWORD written = 0;
    size_t length = strlen(late->text);
    if (length > 0)
        WriteFile(late->writer, late->text, static_cast<DWORD>(length), &written, nullptr);
    CloseHandle(late->writer);
    return 0;
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
    if (strcmp(op, "same") == 0) {
        need(2);
        static char contents[2][64 * 1024];
        size_t lengths[2] = {0, 0};
        bool opened = true;
        for (int f = 0; f < 2; ++f) {
            int handle = platform_open_read(argv[i + 1 + f]);
            opened = opened && handle >= 0;
            if (handle >= 0) {
                lengths[f] = read_rest(handle, contents[f], sizeof contents[f]);
                platform_close(handle);
            }
        }
        bool same =
            opened && lengths[0] == lengths[1] && memcmp(contents[0], contents[1], lengths[0]) == 0;
        say("same %s %s: %s", argv[i + 1], argv[i + 2], same ? "yes" : "no");
        return i + 3;
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
        char key[512], name[512];
        unescape(argv[i + 1], key, sizeof key);
        unescape(argv[i + 2], name, sizeof name);
        long length = platform_registry_query(key, name, data, size);
        char text[4 * sizeof data + 8];
        render(data, length > 0 ? static_cast<size_t>(length) : 0, text, sizeof text);
        say("reg %s %s: %ld %s", argv[i + 2], argv[i + 3], length, text);
        if (data[size] != '#')
            say("reg wrote past its buffer");
        return i + 4;
    }
    if (strcmp(op, "env") == 0) {
        need(2);
        char value[512];
        unescape(argv[i + 2], value, sizeof value);
        if (!platform_set_env(argv[i + 1], value)) {
            say("env %s: refused", argv[i + 1]);
        } else {
            // Read back through the wide interface, as code points (a lone
            // surrogate as itself).
            wchar_t name[256], units[512];
            MultiByteToWideChar(CP_UTF8, 0, argv[i + 1], -1, name, 256);
            DWORD length = GetEnvironmentVariableW(name, units, 512);
            char utf8[1536], text[2048];
            size_t taken = 0;
            size_t bytes =
                length < 512 ? utf16_to_wtf8(units, length, utf8, sizeof utf8, &taken) : 0;
            render_code_points(utf8, bytes, text, sizeof text);
            say("env %s: now \"%s\"", argv[i + 1], length < 512 ? text : "?");
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
    if (strcmp(op, "canout") == 0) {
        need(1);
        char text[512];
        size_t length = unescape(argv[i + 1], text, sizeof text);
        say("canout %s: code page %u, fits %d", argv[i + 1], platform_out_code_page(),
            platform_can_write_out(text, length) ? 1 : 0);
        return i + 2;
    }
    if (strcmp(op, "encode") == 0) {
        need(3);
        unsigned code_page = static_cast<unsigned>(number(argv[i + 1]));
        long repeat = static_cast<long>(number(argv[i + 2]));
        char text[512];
        size_t length = unescape(argv[i + 3], text, sizeof text);
        bool holds = code_page_holds(code_page, text, length);
        // Written to a file in one call, so that long text is converted in pieces.
        static char many[16384];
        size_t total = 0;
        for (long k = 0; k < repeat && total + length + 1 < sizeof many; ++k, total += length)
            memcpy(many + total, text, length);
        many[total++] = '\n';
        FILE *file = fopen("encoded.out", "wb");
        bool written = file != nullptr && code_page_write(code_page, file, many, total);
        if (file != nullptr)
            fclose(file);
        char data[4096];
        size_t count = 0;
        int handle = platform_open_read("encoded.out");
        if (handle >= 0) {
            count = read_rest(handle, data, sizeof data);
            platform_close(handle);
        }
        char rendered[1024];
        render(data, count, rendered, sizeof rendered, true);
        say("encode %u %s: %s, %s %s", code_page, argv[i + 3], holds ? "holds" : "cannot hold",
            written ? "written" : "NOT written", rendered);
        return i + 4;
    }
    if (strcmp(op, "decode") == 0) {
        need(3);
        unsigned code_page = static_cast<unsigned>(number(argv[i + 1]));
        char bytes[256];
        size_t length = hex_bytes(argv[i + 2], bytes, sizeof bytes);
        char out[1024];
        size_t size = static_cast<size_t>(number(argv[i + 3]));
        if (size > sizeof out)
            size = sizeof out;
        size_t used = code_page_to_utf8(code_page, bytes, length, out, size);
        char text[1024];
        render_code_points(out, used, text, sizeof text);
        say("decode %u %s %s: %zu bytes %s", code_page, argv[i + 2], argv[i + 3], used, text);
        return i + 4;
    }
    if (strcmp(op, "step") == 0) {
        need(2);
        unsigned code_page = static_cast<unsigned>(number(argv[i + 1]));
        char bytes[256];
        size_t length = hex_bytes(argv[i + 2], bytes, sizeof bytes);
        char text[1024];
        size_t used = 0;
        for (size_t at = 0; at < length && used + 16 < sizeof text;) {
            size_t step = code_page_step(code_page, bytes + at, length - at);
            text[used++] = ' ';
            for (size_t k = 0; k < step; ++k, ++at)
                used += static_cast<size_t>(snprintf(text + used, sizeof text - used, "%02X",
                                                     static_cast<unsigned char>(bytes[at])));
        }
        text[used] = '\0';
        // The same characters counted in one pass.
        size_t characters = 0;
        code_page_pass(code_page, bytes, length, length, length, &characters);
        say("step %u:%s (%zu)", code_page, text, characters);
        return i + 3;
    }
    if (strcmp(op, "case") == 0) {
        need(1);
        int next = i + 1;
        for (; next < argc && argv[next][0] != '\0' &&
               strchr("0123456789ABCDEF", argv[next][0]) != nullptr;
             ++next) {
            auto character = static_cast<uint32_t>(strtoul(argv[next], nullptr, 16));
            say("case %s: lower %lX upper %lX", argv[next],
                static_cast<unsigned long>(platform_lower_case(character)),
                static_cast<unsigned long>(platform_upper_case(character)));
        }
        return next;
    }
    if (strcmp(op, "syspath") == 0) {
        need(1);
        const wchar_t *path = system_path(argv[i + 1]);
        char text[1024];
        if (path != nullptr)
            render_units(path, text, sizeof text);
        say("syspath: %s", path != nullptr ? text : "(none)");
        return i + 2;
    }
    if (strcmp(op, "peek") == 0 || strcmp(op, "head") == 0) {
        need(1);
        char data[16];
        size_t size = static_cast<size_t>(number(argv[i + 1]));
        long count = op[0] == 'p' ? platform_peek(PLATFORM_STDIN, data, size, size)
                                  : platform_read_head(PLATFORM_STDIN, data, size);
        char label[64];
        snprintf(label, sizeof label, "%s %zu", op, size);
        say_bytes(label, count, data);
        return i + 2;
    }
    if (strcmp(op, "conline") == 0) {
        need(1);
        char line[4 * 300 + 2];
        size_t max = static_cast<size_t>(number(argv[i + 1]));
        if (max > 300)
            max = 300;
        long count = platform_read_console_line(line, sizeof line, max);
        char text[2048];
        render_code_points(line, count > 0 ? static_cast<size_t>(count) : 0, text, sizeof text);
        say("conline %zu: %ld %s", max, count, text);
        return i + 2;
    }
    if (strcmp(op, "file") == 0) {
        need(1);
        int handle = platform_open_read(argv[i + 1]);
        if (handle < 0) {
            say("file %s: cannot open", argv[i + 1]);
            return i + 2;
        }
        char data[256];
        say_bytes("read 3", platform_read(handle, data, 3), data);
        say_bytes("peek 4", platform_peek(handle, data, 4, 4), data);
        say_bytes("head 5", platform_read_head(handle, data, 5), data);
        say_bytes("the rest", static_cast<long>(read_rest(handle, data, sizeof data)), data);
        platform_close(handle);
        return i + 2;
    }
    if (strcmp(op, "run") == 0) {
        need(1);
        char command[1024];
        size_t length = unescape(argv[i + 1], command, sizeof command);
        static wchar_t units[1024];
        size_t taken = 0;
        units[wtf8_to_utf16(command, length, units, 1023, &taken)] = L'\0';
        // What the probe said so far comes before what the command says.
        platform_flush_out();
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        DWORD code = 0;
        if (!CreateProcessW(nullptr, units, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                            &process)) {
            say("run: cannot start");
            return i + 2;
        }
        WaitForSingleObject(process.hProcess, INFINITE);
        GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
        say("run: exit %lu", static_cast<unsigned long>(code));
        return i + 2;
    }
    if (strcmp(op, "pipe") == 0) {
        need(3);
        HANDLE reader;
        LateWrite late{nullptr, argv[i + 2]};
        if (!CreatePipe(&reader, &late.writer, nullptr, 0)) {
            say("pipe: cannot create");
            return i + 4;
        }
        DWORD written = 0;
        size_t length = strlen(argv[i + 1]);
        if (length > 0)
            WriteFile(late.writer, argv[i + 1], static_cast<DWORD>(length), &written, nullptr);
        HANDLE thread = CreateThread(nullptr, 0, write_late, &late, 0, nullptr);
        int handle = _open_osfhandle(reinterpret_cast<intptr_t>(reader), _O_RDONLY | _O_BINARY);
        char data[64];
        char label[128];
        snprintf(label, sizeof label, "pipe \"%s\", later \"%s\": peek %s", argv[i + 1],
                 argv[i + 2], argv[i + 3]);
        size_t size = static_cast<size_t>(number(argv[i + 3]));
        say_bytes(label, platform_peek(handle, data, size, size), data);
        say_bytes("then read", static_cast<long>(read_rest(handle, data, sizeof data)), data);
        platform_close(handle);
        if (thread != nullptr) {
            WaitForSingleObject(thread, INFINITE);
            CloseHandle(thread);
        }
        return i + 4;
    }
    if (strcmp(op, "newfile") == 0 || strcmp(op, "newdir") == 0) {
        need(1);
        static const char *const answers[] = {"made", "exists already", "failed"};
        PlatformCreated made = strcmp(op, "newfile") == 0
                                   ? platform_write_new_file(argv[i + 1], "new\n", 4)
                                   : platform_make_new_dir(argv[i + 1]);
        say("%s %s: %s", op, argv[i + 1], answers[made]);
        return i + 2;
    }
    if (strcmp(op, "list") == 0) {
        need(1);
        auto show = [](const PlatformEntry &entry, void *) {
            say("  %s:%s%s %s", entry.name, entry.is_directory ? " dir" : "",
                entry.is_file ? " file" : "",
                entry.modified > platform_now() - 3600 ? "new" : "old");
        };
        if (!platform_list_dir(argv[i + 1], show, nullptr))
            say("list %s: failed", argv[i + 1]);
        return i + 2;
    }
    if (strcmp(op, "batchlen") == 0) {
        need(1);
        char text[1024];
        size_t length = unescape(argv[i + 1], text, sizeof text);
        say("batchlen %s: %zu", argv[i + 1], platform_batch_length(text, length));
        return i + 2;
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
    if (strcmp(op, "wait") == 0) {
        need(2);
        // Sleeps between looks, so that a script waiting for the processes it
        // started leaves the machine to them, however busy it is.
        const DWORD pause_ms = 50;
        long long looks = number(argv[i + 1]) * 1000 / pause_ms;
        FileStatus status;
        while (!platform_stat(argv[i + 2], &status) && looks-- > 0)
            Sleep(pause_ms);
        if (looks < 0)
            say("wait: %s missing after %s s", argv[i + 2], argv[i + 1]);
        return i + 3;
    }
    say("unknown operation %s", op);
    exit(2);
}

int main(int argc, char **argv) {
    platform_init();
    platform_arguments(&argc, &argv);
    for (int i = 1; i < argc;)
        i = step(argc, argv, i);
    if (!platform_flush_out())
        return 3;
    return 0;
}
