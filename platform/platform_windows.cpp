// The Windows operations behind platform.h. Text crosses platform.h as UTF-8;
// this side converts it to UTF-16 at every system call (arguments, paths,
// directories, the environment, the registry), so that any name cmd.exe can
// pass works, whatever the ANSI code page.
//
// Output: a console receives Unicode through WriteConsoleW. Anything else (a
// file, a pipe, a batch file being written by "> go.bat") receives the text in
// the console's output code page, which is what cmd.exe reads programs' output
// and batch files in; a process without a console uses the OEM code page, as
// cmd does. All three standard streams are binary: this side puts CR before
// each LF itself, before the text is converted.
//
// No heap: every buffer below is static and of fixed size, and every copy into
// one is bounded by its size.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
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

#ifdef __MINGW32__
// The runtime's own argument list is never used, and it must not search the
// file system for "*.txt" while building it. (The Microsoft runtime expands
// nothing unless linked with setargv.obj; mingw-w64 reads this flag.)
extern "C" {
int _dowildcard = 0;
}
#endif

// ---- UTF-8 and UTF-16 --------------------------------------------------------

// The longest path, environment value or command line the system takes, in
// UTF-16 units, and room for its closing zero. A capacity given to the system
// stays at SYSTEM_UNITS: the system's strings count their bytes in 16 bits, and
// some implementations of GetFullPathNameW fail on a buffer of 65,536 bytes.
static const size_t SYSTEM_UNITS = 32767;
static const size_t UNITS_BUFFER = SYSTEM_UNITS + 1;
static const DWORD SYSTEM_CAPACITY = static_cast<DWORD>(SYSTEM_UNITS);

static bool is_high_surrogate(unsigned unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

static bool is_low_surrogate(unsigned unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

static bool is_continuation(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// Writes UTF-16 units as UTF-8, whole characters only, at most size bytes; a
// lone surrogate becomes U+FFFD. Returns the bytes written; *taken receives the
// number of units converted.
static size_t utf16_to_utf8(const wchar_t *units, size_t count, char *out, size_t size,
                            size_t *taken) {
    size_t used = 0, i = 0;
    while (i < count) {
        uint32_t c = static_cast<uint16_t>(units[i]);
        size_t step = 1;
        if (is_high_surrogate(c) && i + 1 < count &&
            is_low_surrogate(static_cast<uint16_t>(units[i + 1]))) {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<uint16_t>(units[i + 1]) - 0xDC00);
            step = 2;
        } else if (is_high_surrogate(c) || is_low_surrogate(c)) {
            c = 0xFFFD;
        }
        size_t need = c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
        if (need > size - used)
            break;
        if (need == 1) {
            out[used++] = static_cast<char>(c);
        } else {
            size_t shift = 6 * (need - 1);
            static const unsigned char LEAD[] = {0, 0, 0xC0, 0xE0, 0xF0};
            out[used++] = static_cast<char>(LEAD[need] | (c >> shift));
            while (shift > 0) {
                shift -= 6;
                out[used++] = static_cast<char>(0x80 | ((c >> shift) & 0x3F));
            }
        }
        i += step;
    }
    *taken = i;
    return used;
}

// The number of UTF-8 bytes that utf16_to_utf8 makes of the units.
static size_t utf8_length(const wchar_t *units, size_t count) {
    size_t length = 0;
    for (size_t i = 0; i < count; ++i) {
        unsigned c = static_cast<uint16_t>(units[i]);
        if (is_high_surrogate(c) && i + 1 < count &&
            is_low_surrogate(static_cast<uint16_t>(units[i + 1]))) {
            length += 4;
            ++i;
        } else {
            length += c < 0x80 ? 1 : c < 0x800 ? 2 : 3;
        }
    }
    return length;
}

// Converts a zero-ended UTF-8 text into capacity units, its zero included.
// False when it is not valid UTF-8 or does not fit: such a name cannot be the
// one the caller means, so it must not reach the system altered.
static bool utf8_to_wide(const char *text, wchar_t *out, size_t capacity) {
    if (text[0] == '\0') {
        out[0] = L'\0';
        return true;
    }
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, out,
                               static_cast<int>(capacity)) > 0;
}

// The length of the longest start of a UTF-8 text, at most limit bytes, that
// ends on a character boundary (limit itself for text that is not UTF-8 there).
static size_t utf8_cut(const char *text, size_t length, size_t limit) {
    if (length <= limit)
        return length;
    size_t cut = limit;
    for (int back = 0; back < 3 && cut > 1 && is_continuation(text[cut]); ++back)
        --cut;
    return is_continuation(text[cut]) ? limit : cut;
}

// ---- Code pages --------------------------------------------------------------

// Text is converted in pieces of at most this many bytes of UTF-8. With CR
// before each LF a piece doubles at most, and each of its bytes gives at most
// one UTF-16 unit, and each unit at most four bytes in any code page (GB18030).
static const size_t PIECE = 2048;
static const size_t PIECE_UNITS = 2 * PIECE;
static char piece_text[2 * PIECE];
static wchar_t piece_units[PIECE_UNITS];
static wchar_t round_trip_units[PIECE_UNITS];
static char piece_bytes[4 * PIECE_UNITS];

// Converts one piece of UTF-8, cut at a character boundary, to UTF-16 in
// piece_units, with CR before each LF when crlf is set; invalid bytes become
// U+FFFD unless strict, which refuses them. Returns the units, 0 on failure.
static size_t piece_to_units(const char *text, size_t length, bool crlf, bool strict) {
    const char *source = text;
    size_t source_length = length;
    if (crlf) {
        size_t used = 0;
        for (size_t i = 0; i < length; ++i) {
            if (text[i] == '\n')
                piece_text[used++] = '\r';
            piece_text[used++] = text[i];
        }
        source = piece_text;
        source_length = used;
    }
    if (source_length == 0)
        return 0;
    int units = MultiByteToWideChar(CP_UTF8, strict ? MB_ERR_INVALID_CHARS : 0, source,
                                    static_cast<int>(source_length), piece_units,
                                    static_cast<int>(PIECE_UNITS));
    return units > 0 ? static_cast<size_t>(units) : 0;
}

// UTF-16 to the code page into piece_bytes. Code pages such as 65001 and 54936
// refuse WC_NO_BEST_FIT_CHARS, and take the conversion without flags.
static size_t units_to_code_page(UINT code_page, const wchar_t *units, size_t count, DWORD flags) {
    int bytes = WideCharToMultiByte(code_page, flags, units, static_cast<int>(count), piece_bytes,
                                    static_cast<int>(sizeof piece_bytes), nullptr, nullptr);
    if (bytes == 0 && flags != 0 && GetLastError() == ERROR_INVALID_FLAGS)
        bytes = WideCharToMultiByte(code_page, 0, units, static_cast<int>(count), piece_bytes,
                                    static_cast<int>(sizeof piece_bytes), nullptr, nullptr);
    return bytes > 0 ? static_cast<size_t>(bytes) : 0;
}

bool code_page_holds(unsigned code_page, const char *text, size_t length) {
    while (length > 0) {
        size_t take = utf8_cut(text, length, PIECE);
        size_t units = piece_to_units(text, take, false, true);
        if (units == 0)
            return false;
        // Without flags a character the code page lacks becomes the default
        // character or a look-alike; either way it does not come back.
        size_t bytes = units_to_code_page(code_page, piece_units, units, 0);
        if (bytes == 0)
            return false;
        int back = MultiByteToWideChar(code_page, 0, piece_bytes, static_cast<int>(bytes),
                                       round_trip_units, static_cast<int>(PIECE_UNITS));
        if (back <= 0 || static_cast<size_t>(back) != units ||
            memcmp(round_trip_units, piece_units, units * sizeof(wchar_t)) != 0)
            return false;
        text += take;
        length -= take;
    }
    return true;
}

bool code_page_write(unsigned code_page, std::FILE *file, const char *text, size_t length) {
    bool whole = true;
    while (length > 0) {
        size_t take = utf8_cut(text, length, PIECE);
        size_t units = piece_to_units(text, take, true, false);
        // A replaced character shows as the code page's default character
        // rather than as a look-alike, so that a reader sees it was replaced.
        size_t bytes = units_to_code_page(code_page, piece_units, units, WC_NO_BEST_FIT_CHARS);
        if (bytes == 0 || fwrite(piece_bytes, 1, bytes, file) != bytes)
            whole = false;
        text += take;
        length -= take;
    }
    return whole;
}

// The length of the longest start of 8-bit text in the code page, at most
// limit bytes, that ends on a character boundary.
static size_t code_page_cut(UINT code_page, const char *bytes, size_t length, size_t limit) {
    if (length <= limit)
        return length;
    if (code_page == CP_UTF8)
        return utf8_cut(bytes, length, limit);
    CPINFO info;
    if (!GetCPInfo(code_page, &info) || info.MaxCharSize == 1)
        return limit;
    // A lead byte takes the next byte with it; GB18030 also has four-byte
    // characters, whose second byte is a digit.
    size_t at = 0;
    for (;;) {
        size_t step = 1;
        if (IsDBCSLeadByteEx(code_page, static_cast<BYTE>(bytes[at])))
            step = code_page == 54936 && at + 1 < length && bytes[at + 1] >= '0' &&
                           bytes[at + 1] <= '9'
                       ? 4
                       : 2;
        if (at + step > limit)
            return at > 0 ? at : limit;
        at += step;
    }
}

static wchar_t from_code_page_units[PIECE_UNITS];

size_t code_page_to_utf8(unsigned code_page, const char *bytes, size_t length, char *out,
                         size_t size) {
    size_t used = 0;
    while (length > 0) {
        size_t take = code_page_cut(code_page, bytes, length, PIECE_UNITS);
        int units = MultiByteToWideChar(code_page, 0, bytes, static_cast<int>(take),
                                        from_code_page_units, static_cast<int>(PIECE_UNITS));
        if (units <= 0)
            break;
        size_t taken = 0;
        used += utf16_to_utf8(from_code_page_units, static_cast<size_t>(units), out + used,
                              size - used, &taken);
        if (taken < static_cast<size_t>(units))
            break; // out is full
        bytes += take;
        length -= take;
    }
    return used;
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
    if (!utf8_to_wide(path, path_units, UNITS_BUFFER))
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

// Standard output's buffer: static, so that the runtime allocates none.
static char out_buffer[4096];

void platform_init() {
    // A drive without a medium must give an error code, not a dialog box that
    // stops an unattended script.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    // The line readers see every byte of their input; output gets its CR LF
    // from platform_write.
    _setmode(0, _O_BINARY);
    _setmode(1, _O_BINARY);
    _setmode(2, _O_BINARY);
    setvbuf(stdout, out_buffer, _IOFBF, sizeof out_buffer);
}

// A command line holds at most 32,767 UTF-16 units, and each unit becomes at
// most three bytes of UTF-8 (a surrogate pair, two units, becomes four).
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
    size_t length = utf16_to_utf8(line, units, command_line, sizeof command_line - 1, &taken);
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
    return utf8_to_wide(name, name_units, UNITS_BUFFER) &&
           utf8_to_wide(value, value_units, UNITS_BUFFER) &&
           SetEnvironmentVariableW(name_units, value_units) != 0;
}

// ---- Standard streams --------------------------------------------------------

// Set when something written to a console standard output did not arrive; the
// runtime's error flag tells the same for anything else.
static bool out_lost = false;

static bool is_console(HANDLE handle) {
    DWORD mode;
    return handle != INVALID_HANDLE_VALUE && handle != nullptr && GetConsoleMode(handle, &mode);
}

// Whether each output stream is a console, asked once: 0 no, 1 yes, -1 not yet.
static int stream_console[2] = {-1, -1};

static bool stream_is_console(PlatformStream stream) {
    int &known = stream_console[stream == STREAM_OUT ? 0 : 1];
    if (known < 0)
        known =
            is_console(GetStdHandle(stream == STREAM_OUT ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE))
                ? 1
                : 0;
    return known == 1;
}

// Writes UTF-8 text to a console as Unicode, which shows right whatever its
// code page.
static bool write_console(HANDLE console, const char *text, size_t length) {
    bool whole = true;
    while (length > 0) {
        size_t take = utf8_cut(text, length, PIECE);
        size_t units = piece_to_units(text, take, true, false);
        for (size_t done = 0; done < units;) {
            DWORD written = 0;
            if (!WriteConsoleW(console, piece_units + done, static_cast<DWORD>(units - done),
                               &written, nullptr) ||
                written == 0) {
                whole = false;
                break;
            }
            done += written;
        }
        text += take;
        length -= take;
    }
    return whole;
}

unsigned platform_out_code_page() {
    static UINT code_page = 0;
    if (code_page == 0) {
        code_page = GetConsoleOutputCP();
        if (code_page == 0)
            code_page = GetOEMCP(); // no console: what cmd.exe then reads in
    }
    return code_page;
}

void platform_write(PlatformStream stream, const char *data, size_t length) {
    bool whole;
    if (stream_is_console(stream))
        whole =
            write_console(GetStdHandle(stream == STREAM_OUT ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE),
                          data, length);
    else
        whole = code_page_write(platform_out_code_page(), stream == STREAM_OUT ? stdout : stderr,
                                data, length);
    if (!whole && stream == STREAM_OUT)
        out_lost = true;
}

bool platform_can_write_out(const char *text, size_t length) {
    return stream_is_console(STREAM_OUT) || code_page_holds(platform_out_code_page(), text, length);
}

bool platform_flush_out() {
    return fflush(stdout) == 0 && !ferror(stdout) && !out_lost;
}

size_t platform_text_to_utf8(const char *bytes, size_t length, char *out, size_t size) {
    return code_page_to_utf8(platform_out_code_page(), bytes, length, out, size);
}

size_t platform_text_step(const char *bytes, size_t length) {
    UINT code_page = platform_out_code_page();
    auto lead = static_cast<BYTE>(bytes[0]);
    if (code_page == CP_UTF8) {
        // A valid sequence is one character; the system refuses an invalid one.
        size_t step = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 1;
        return step > 1 && step <= length &&
                       MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes,
                                           static_cast<int>(step), nullptr, 0) > 0
                   ? step
                   : 1;
    }
    if (length < 2 || !IsDBCSLeadByteEx(code_page, lead))
        return 1;
    // A four-byte character of GB18030 has a digit as its second byte.
    return code_page == 54936 && length >= 4 && bytes[1] >= '0' && bytes[1] <= '9' ? 4 : 2;
}

// ---- Files and standard input ------------------------------------------------

// The runtime's byte counts are int: larger requests are served in parts.
static unsigned int clamp_to_int(size_t size) {
    return size > static_cast<size_t>(INT_MAX) ? static_cast<unsigned int>(INT_MAX)
                                               : static_cast<unsigned int>(size);
}

static HANDLE system_handle(int handle) {
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

static long read_raw(int handle, char *buffer, size_t size) {
    return static_cast<long>(_read(handle, buffer, clamp_to_int(size)));
}

long platform_read(int handle, char *buffer, size_t size) {
    long held = read_held(handle, buffer, size);
    return held >= 0 ? held : read_raw(handle, buffer, size);
}

// The pipe peek of the system's file system control, the call that
// PeekNamedPipe makes. Its answer also tells the state of the pipe, which
// PeekNamedPipe drops: only so does a reader learn that the writer has closed
// its end while bytes are still waiting (PeekNamedPipe reports a broken pipe
// only once the pipe is empty).
struct PipePeek {
    ULONG state; // FILE_PIPE_*_STATE
    ULONG available;
    ULONG messages;
    ULONG message_length;
    char data[PEEK_MAX];
};
struct PipeIoStatus {
    ULONG_PTR status; // the call's status again, in a field as wide as a pointer
    ULONG_PTR information;
};
using FsControlFile = LONG(WINAPI *)(HANDLE, HANDLE, void *, void *, PipeIoStatus *, ULONG, void *,
                                     ULONG, void *, ULONG);
static const ULONG FSCTL_PIPE_PEEK_CODE = 0x0011400C;
static const ULONG PIPE_CONNECTED = 3, PIPE_CLOSING = 4;
static const LONG STATUS_OK = 0;
static const LONG STATUS_OVERFLOW = static_cast<LONG>(0x80000005); // more data than asked for
static const LONG STATUS_BROKEN = static_cast<LONG>(0xC000014B);   // closed and empty

static FsControlFile fs_control_file() {
    static FsControlFile function = nullptr;
    if (function == nullptr) {
        HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
        FARPROC found = ntdll != nullptr ? GetProcAddress(ntdll, "NtFsControlFile") : nullptr;
        // (A cast through void (*)() is how a function pointer changes type.)
        function = reinterpret_cast<FsControlFile>(reinterpret_cast<void (*)()>(found));
    }
    return function;
}

static PipePeek peek;

// Waits until the pipe holds least bytes, or its writer has closed it; copies
// up to size without taking them.
static long peek_pipe(HANDLE pipe, char *buffer, size_t size, size_t least) {
    FsControlFile control = fs_control_file();
    if (control == nullptr)
        return -1;
    const size_t header = offsetof(PipePeek, data);
    for (;;) {
        peek = PipePeek{};
        PipeIoStatus io{};
        LONG status = control(pipe, nullptr, nullptr, nullptr, &io, FSCTL_PIPE_PEEK_CODE, nullptr,
                              0, &peek, static_cast<ULONG>(header + size));
        if (status == STATUS_BROKEN)
            return 0;
        if (status != STATUS_OK && status != STATUS_OVERFLOW)
            return -1;
        size_t got = io.information > header ? io.information - header : 0;
        if (got > size)
            got = size;
        // A state other than connected or closing is no state at all (some
        // emulations leave it 0): then the bytes there must do.
        bool writer_open = peek.state == PIPE_CONNECTED || (peek.state != PIPE_CLOSING && got == 0);
        if (got >= least || !writer_open) {
            memcpy(buffer, peek.data, got);
            return static_cast<long>(got);
        }
        Sleep(1);
    }
}

// A disk file gives peeked bytes back by seeking; a console cannot.
static bool seek_back(int handle, size_t count) {
    return GetFileType(system_handle(handle)) == FILE_TYPE_DISK &&
           _lseeki64(handle, -static_cast<__int64>(count), SEEK_CUR) >= 0;
}

long platform_peek(int handle, char *buffer, size_t size, size_t least) {
    if (size > PEEK_MAX)
        size = PEEK_MAX;
    if (least > size)
        least = size;
    if (size == 0)
        return 0;
    HANDLE file = system_handle(handle);
    if (file != INVALID_HANDLE_VALUE && GetFileType(file) == FILE_TYPE_PIPE)
        return peek_pipe(file, buffer, size, least);
    return peek_by_reading(handle, buffer, size, least, read_raw, seek_back);
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

// A console line as UTF-16: the longest the callers ask for, a character's
// second half and the LF after a CR.
static wchar_t console_units[1024];

long platform_read_console_line(char *buffer, size_t size, size_t max_characters) {
    HANDLE input = system_handle(PLATFORM_STDIN);
    if (!is_console(input))
        return -1;
    const size_t room = sizeof console_units / sizeof console_units[0];
    if (max_characters > room - 2)
        max_characters = room - 2;
    // Read until the line ends or holds max_characters characters; a console
    // read gives at most the rest of the line typed, and keeps what it does not
    // give for the next read.
    size_t units = 0, characters = 0;
    while (characters < max_characters) {
        DWORD want = static_cast<DWORD>(max_characters - characters), got = 0;
        if (!ReadConsoleW(input, console_units + units, want, &got, nullptr) || got == 0)
            break;
        for (DWORD i = 0; i < got; ++i)
            if (!is_low_surrogate(static_cast<uint16_t>(console_units[units + i])))
                ++characters;
        units += got;
        if (console_units[units - 1] == L'\n' || got < want)
            break;
    }
    // A character's second half, and the LF of a CR LF, belong to this line.
    if (units > 0 && (is_high_surrogate(static_cast<uint16_t>(console_units[units - 1])) ||
                      console_units[units - 1] == L'\r')) {
        DWORD got = 0;
        if (ReadConsoleW(input, console_units + units, 1, &got, nullptr) && got == 1)
            ++units;
    }
    size_t taken = 0;
    return static_cast<long>(utf16_to_utf8(console_units, units, buffer, size, &taken));
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
    size_t bytes = utf8_length(directory_units, length);
    if (bytes < size) {
        size_t taken = 0;
        utf16_to_utf8(directory_units, length, buffer, size, &taken);
        buffer[bytes] = '\0';
    } else if (size > 0) {
        buffer[0] = '\0';
    }
    return bytes > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(bytes);
}

int platform_change_dir(const char *path) {
    // The working directory takes no \\?\ form: past 259 characters the change
    // may fail, and then simply fails.
    if (!utf8_to_wide(path, path_units, UNITS_BUFFER) || !SetCurrentDirectoryW(path_units))
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
    if (!utf8_to_wide(key_path, name_units, UNITS_BUFFER) ||
        !utf8_to_wide(value_name, value_units, UNITS_BUFFER))
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
    size_t bytes = utf8_length(registry_units, units);
    if (bytes > size)
        return -1;
    size_t taken = 0;
    return static_cast<long>(utf16_to_utf8(registry_units, units, buffer, size, &taken));
}
