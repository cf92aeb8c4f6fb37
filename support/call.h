// What the runner hands every function and what a function hands back: the
// call with its arguments, options and result buffer, and the outcome.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/unicode.h"

// A text result holds at most RESULT_CHARACTERS characters, in UTF-8; the
// result buffer has room for them in any script, and a zero byte.
inline constexpr size_t RESULT_CHARACTERS = 255;
inline constexpr size_t RESULT_SIZE = RESULT_CHARACTERS * UTF8_MAX + 1;
// The variable name taken from the command line holds at most NAME_CHARACTERS.
inline constexpr size_t NAME_CHARACTERS = 63;
inline constexpr size_t NAME_SIZE = NAME_CHARACTERS * UTF8_MAX + 1;
// No function accepts more arguments than this.
inline constexpr int MAX_ARGS = 99;

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
    bool reply; // the text is ask's reply, with the line end it was typed with
};

inline Outcome text_outcome(int exit_code) {
    return Outcome{exit_code, false, 0, false};
}
inline Outcome integer_outcome(int32_t value, int exit_code) {
    return Outcome{exit_code, true, value, false};
}
inline Outcome reply_outcome(int exit_code) {
    return Outcome{exit_code, false, 0, true};
}
