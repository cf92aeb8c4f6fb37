// The standard streams on Windows. A console receives output as Unicode
// through WriteConsoleW, and gives a typed line as Unicode. Anything else (a
// file, a pipe, a batch file being written by "> go.bat") receives the text in
// the console's output code page, which is what cmd.exe reads programs' output
// and batch files in; a process without a console uses the OEM code page, as
// cmd does. All three standard streams are binary: CR goes before each LF
// while the text is converted.
//
// No heap: every buffer below is static and of fixed size, and every copy into
// one is bounded by its size.
#include <windows.h>

#include <cstdio>
#include <fcntl.h>
#include <io.h>

#include "platform/platform.h"
#include "platform/platform_windows.h"
#include "platform/unicode.h"

// Standard output's buffer, static so that the runtime allocates none. It
// holds the most that code_page_write hands the runtime at once, a converted
// piece, so that a piece goes out in at most two writes.
static char stdout_buffer[TEXT_PIECE_BYTES_MAX];

void streams_init() {
    // The line readers see every byte of their input; output gets its CR LF
    // from platform_write.
    _setmode(0, _O_BINARY);
    _setmode(1, _O_BINARY);
    _setmode(2, _O_BINARY);
    setvbuf(stdout, stdout_buffer, _IOFBF, sizeof stdout_buffer);
}

// Set when something written to a console standard output did not arrive; the
// runtime's error flag tells the same for anything else.
static bool out_lost = false;

// True when the handle is a console, whose mode *mode then receives.
static bool is_console(HANDLE handle, DWORD *mode) {
    return handle != INVALID_HANDLE_VALUE && handle != nullptr && GetConsoleMode(handle, mode);
}

// Whether each output stream is a console, asked once: 0 no, 1 yes, -1 not yet.
static int stream_console[2] = {-1, -1};

static bool stream_is_console(PlatformStream stream) {
    int &known = stream_console[stream == STREAM_OUT ? 0 : 1];
    DWORD mode = 0;
    if (known < 0)
        known =
            is_console(GetStdHandle(stream == STREAM_OUT ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE),
                       &mode)
                ? 1
                : 0;
    return known == 1;
}

static wchar_t console_piece_units[TEXT_PIECE_UNITS];

// Writes generalized UTF-8 to a console as Unicode, which shows right whatever
// its code page; a lone surrogate arrives as the unit it is.
static bool write_console(HANDLE console, const char *text, size_t length) {
    bool whole = true;
    while (length > 0) {
        size_t take = utf8_cut(text, length, TEXT_PIECE);
        size_t units = text_piece_units(text, take, console_piece_units);
        for (size_t done = 0; done < units;) {
            DWORD written = 0;
            if (!WriteConsoleW(console, console_piece_units + done,
                               static_cast<DWORD>(units - done), &written, nullptr) ||
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

// (A plain flag rather than a static initialised by the call: the runtime's
// guard for such statics would add its thread support to the program.)
unsigned console_output_code_page() {
    static bool asked = false;
    static UINT code_page = 0;
    if (!asked) {
        asked = true;
        code_page = GetConsoleOutputCP();
    }
    return code_page;
}

unsigned platform_out_code_page() {
    unsigned code_page = console_output_code_page();
    return code_page != 0 ? code_page : GetOEMCP(); // no console: what cmd.exe then reads in
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

// The most characters that one console line gives: what a line read of the
// text reader takes, the most that any caller asks for.
static const size_t CONSOLE_LINE_CHARACTERS = 255;
// Those characters as UTF-16: two units for one beyond U+FFFF, and one more
// for the LF after a CR.
static wchar_t console_line_units[2 * CONSOLE_LINE_CHARACTERS + 1];
// The rest of a line that is dropped, a piece at a time.
static wchar_t dropped_units[CONSOLE_LINE_CHARACTERS];

// Reads the rest of a typed line, to its LF, and drops it.
static void drop_rest_of_line(HANDLE input) {
    const DWORD room = sizeof dropped_units / sizeof dropped_units[0];
    DWORD got = 0;
    while (ReadConsoleW(input, dropped_units, room, &got, nullptr) && got > 0 &&
           dropped_units[got - 1] != L'\n') {
    }
}

long platform_read_console_line(char *buffer, size_t size, size_t max_characters) {
    HANDLE input = system_handle(PLATFORM_STDIN);
    DWORD mode = 0;
    if (!is_console(input, &mode))
        return -1;
    const size_t room = sizeof console_line_units / sizeof console_line_units[0];
    if (max_characters > CONSOLE_LINE_CHARACTERS)
        max_characters = CONSOLE_LINE_CHARACTERS;
    // Read until the line ends or holds max_characters characters; a console
    // read gives at most the rest of the line typed, and keeps what it does not
    // give for the next read. Each unit is at most one character, so no read
    // asks for more units than characters are missing; one unit of room stays
    // for the unit read after the loop.
    size_t units = 0, characters = 0;
    unsigned previous = 0;
    while (characters < max_characters && units + 1 < room) {
        size_t want = max_characters - characters;
        if (want > room - 1 - units)
            want = room - 1 - units;
        DWORD got = 0;
        if (!ReadConsoleW(input, console_line_units + units, static_cast<DWORD>(want), &got,
                          nullptr) ||
            got == 0)
            break;
        // The second unit of a pair is no character of its own; a lone one is.
        for (DWORD i = 0; i < got; ++i) {
            unsigned unit = static_cast<uint16_t>(console_line_units[units + i]);
            if (!(utf16_is_low_surrogate(unit) && utf16_is_high_surrogate(previous)))
                ++characters;
            previous = unit;
        }
        units += got;
        if (console_line_units[units - 1] == L'\n' || got < want)
            break;
    }
    bool ended = units > 0 && console_line_units[units - 1] == L'\n';
    bool cut = characters >= max_characters;
    // A character's second half, and the LF of a CR LF, belong to this line;
    // any other unit is the first of what goes beyond it.
    if (!ended && units > 0 && units < room &&
        (utf16_is_high_surrogate(previous) || previous == L'\r')) {
        DWORD got = 0;
        if (ReadConsoleW(input, console_line_units + units, 1, &got, nullptr) && got == 1) {
            unsigned next = static_cast<uint16_t>(console_line_units[units]);
            ended = next == L'\n';
            if ((utf16_is_high_surrogate(previous) && utf16_is_low_surrogate(next)) ||
                (previous == L'\r' && ended))
                ++units;
            else
                cut = true;
        }
    }
    // What was typed beyond the characters kept is read and dropped, so that
    // the next reader (another ask, set /p, cmd.exe's prompt) waits for a line
    // of its own instead of taking it. Only a console that reads whole lines
    // has a line to drop.
    if (cut && !ended && (mode & ENABLE_LINE_INPUT) != 0)
        drop_rest_of_line(input);
    size_t taken = 0;
    return static_cast<long>(utf16_to_wtf8(console_line_units, units, buffer, size, &taken));
}
