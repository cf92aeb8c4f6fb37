// Splitting a command line into arguments, as the Windows program does with
// the Unicode command line it receives from the system.
#pragma once

// Splits the UTF-8 command line in place into arguments, by the C runtime's
// rules with one exception for a quoted directory with a trailing backslash:
//   - The first argument, the program, runs to the next blank or tab, or, when
//     it begins with a quote, to the next quote; backslashes are literal in it.
//   - Blanks and tabs outside quotes separate arguments.
//   - 2n backslashes before a quote give n backslashes, and the quote opens or
//     closes a quoted stretch. Inside one, a doubled quote "" gives one quote.
//   - 2n+1 backslashes before a quote give n backslashes and a literal quote,
//     except inside a quoted stretch when the quote is followed by a blank, a
//     tab or the end of the line: there they give n+1 backslashes and the
//     quote closes the stretch. So "C:\dir\" is C:\dir\ and "\"" is ".
//   - Any other backslash is itself.
// Stores a pointer to each argument in argv (at most capacity) and returns how
// many there are; the output never takes more room than the input.
int split_command_line(char *line, char **argv, int capacity);
