// Handing a run's results over to tvset.cmd. Run as "tarvelix -tvset NAME
// ...", the program prints no "set" line: it writes each value into a file of
// its own, and into a file that tvset.cmd finds one line of batch commands
// that take the values with "set /p", change drive and directory for chdir
// and end with the exit code. It ends with a number that names that file.
// tvset.cmd runs the line after its last endlocal, so a value reaches the
// calling script through "set /p" alone and cmd never parses it.
//
// The file of the line lies in the folder that tvset.cmd names in the variable
// _tvtemp (its TEMP), as <folder>\<number>.tvs; the values lie in a folder of
// their own, whose path the line can hold whatever the caller's state:
// without "!" or "%", short enough for cmd.exe, in the batch code page.
// Fatal errors and the usage screen end the run with their own codes, 11 and
// 12, which lie below every number that names a file.
#pragma once

#include <cstdint>

// The smallest number that names a file of commands; tvset.cmd passes any
// smaller exit code on as it is.
inline constexpr int32_t FIRST_HANDOVER_ID = 1 << 20;

// False for a variable name that a batch file cannot be handed: one holding a
// double quote, "%", "!" or a control character, which no "set /p" line can
// carry unchanged in every caller.
bool handover_can_take_name(const char *name);

// Writes the files for the results that the run recorded and ends the process
// with the number that names the file of commands; when the files cannot be
// written, says so on standard error and ends with EXIT_FATAL.
[[noreturn]] void handover_finish(int exit_code);
