// The process: its start, its arguments as UTF-8 from the system's Unicode
// command line, its environment and its end.
//
// No heap: every buffer below is static and of fixed size, and every copy into
// one is bounded by its size.
#include <windows.h>

#include <cstdlib>

#include "platform/command_line.h"
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

// The name and value of a variable, as UTF-16.
static wchar_t name_units[UNITS_BUFFER];
static wchar_t value_units[UNITS_BUFFER];

bool platform_set_env(const char *name, const char *value) {
    return system_units(name, name_units, UNITS_BUFFER) &&
           system_units(value, value_units, UNITS_BUFFER) &&
           SetEnvironmentVariableW(name_units, value_units) != 0;
}
