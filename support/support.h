// What the runner and every function share: the call a handler receives and
// the outcome it returns, number parsing, the result store, the letter and
// white-space classes, and the exits. Below both the runner and the functions.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"
#include "platform/unicode.h"

inline constexpr const char *PROGRAM_NAME = "tarvelix";

// A text result holds at most RESULT_CHARACTERS characters, in UTF-8; the
// result buffer has room for them in any script, and a zero byte.
inline constexpr size_t RESULT_CHARACTERS = 255;
inline constexpr size_t RESULT_SIZE = RESULT_CHARACTERS * UTF8_MAX + 1;
// The variable name taken from the command line holds at most NAME_CHARACTERS.
inline constexpr size_t NAME_CHARACTERS = 63;
inline constexpr size_t NAME_SIZE = NAME_CHARACTERS * UTF8_MAX + 1;
// Fatal messages are cut to fit this buffer, at a character's end.
inline constexpr size_t MESSAGE_SIZE = 256;
// No function accepts more arguments than this.
inline constexpr int MAX_ARGS = 99;

inline constexpr int EXIT_USAGE = 11;
inline constexpr int EXIT_FATAL = 12;

// Command-line options, one bit per option letter.
enum OptionFlags : unsigned {
    UPPER = 1,   // -u
    LOWER = 2,   // -l
    VERBOSE = 4, // -v
    TEST = 8,    // -t
    QUIET = 16,  // -q
};

// What a handler receives: the function's arguments (modifiable in place),
// their count, the options and the cleared result buffer.
struct Call {
    const char *function; // the function name as typed
    char **args;          // args[0] is arg1
    int count;
    unsigned flags;
    char *result; // RESULT_SIZE bytes, all zero on entry
};

// What a handler yields: an exit code and either the text left in the result
// buffer or an integer.
struct Outcome {
    int exit_code;
    bool is_integer;
    int32_t value;
};

inline Outcome text_outcome(int exit_code) {
    return Outcome{exit_code, false, 0};
}
inline Outcome integer_outcome(int32_t value, int exit_code) {
    return Outcome{exit_code, true, value};
}

// Prints the message and a line end on standard output and exits with EXIT_FATAL.
[[noreturn]] void fail(const char *message);

// fail() with a printf-style message, cut to fit MESSAGE_SIZE - 1 bytes.
// The compiler checks the arguments against the format.
PRINTF_LIKE(1, 2) [[noreturn]] void failf(const char *format, ...);

// Flushes standard output and ends the process. A failed write to standard
// output turns any exit code into EXIT_FATAL, with a line on standard error.
[[noreturn]] void finish(int exit_code);

// Letters of the C locale: ASCII only; other bytes pass through the conversions.
inline bool is_lower_letter(char c) {
    return c >= 'a' && c <= 'z';
}
inline bool is_upper_letter(char c) {
    return c >= 'A' && c <= 'Z';
}
inline char upper_letter(char c) {
    return is_lower_letter(c) ? static_cast<char>(c - 'a' + 'A') : c;
}
inline char lower_letter(char c) {
    return is_upper_letter(c) ? static_cast<char>(c - 'A' + 'a') : c;
}

// The C white-space class: blank, tab, line end, vertical tab, form feed, CR.
inline bool is_c_space(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// Converts text in place to upper case under UPPER, else to lower case under LOWER.
void fold_case(char *text, unsigned flags);

// Strict signed decimal (an optional "-", then digits only) with 32-bit
// wrap-around; false for anything else.
bool try_parse_number(const char *text, int32_t *value);

// try_parse_number that ends the run on an invalid number.
int32_t parse_number(const char *text);

// Ends the run with the invalid-number message.
[[noreturn]] void fail_invalid_number();

// Stores value under name: prints "set NAME=value" under VERBOSE or TEST and
// sets the environment variable unless TEST. May modify both texts in place.
// The name is never copied, so it may be of any length the environment takes.
void store_result(char *name, char *value, unsigned flags);

// Ends the run when a variable name is longer than NAME_CHARACTERS characters.
void check_name_length(const char *name);

// Copies length bytes of text into the result buffer and ends it with a zero
// byte; ends the run when the text holds more than RESULT_CHARACTERS characters.
void set_text_result(char *result, const char *text, size_t length);

// Ends the run when a text result of this many characters would not fit.
void check_result_length(size_t characters);

// Ends the run, before anything is printed, when standard output cannot show
// every character of a text that is to be printed for a script to run (its
// code page lacks one): a script must never receive a text other than the one
// meant. Messages need no check.
void check_printable(const char *text);

// Writes a text to standard output or standard error.
void write_out(const char *text);
void write_err(const char *text);

// Writes a message for the person running the script: on standard output, as
// fatal errors and the usage screen always were, or on standard error while
// the results are handed over to tvset.cmd, whose standard output is the
// calling script's.
void write_message(const char *text);

// False for a variable name that stores nothing: one beginning with ".", the
// empty name and "_NULL_" in any case.
bool name_stores(const char *name);

// Ends the run when a variable of this name cannot be set: a name holding "="
// (an environment variable's name never holds one), or, while the results are
// handed over, a name that a batch file cannot take. Nothing has been printed.
void check_name_settable(const char *name);
