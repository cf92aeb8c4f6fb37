// The function table: one row per function name, from which lookup, the
// argument-count check, the usage screen and the call of the handler come.
#pragma once

#include <cstddef>
#include <cstdint>

#include "support/call.h"

// Computes one function's result from a call.
using Handler = Outcome(const Call &call);

// The usage screen lists each row as two blanks, the name padded to
// USAGE_NAME_WIDTH and the help, so that the line fits an 80-column console.
inline constexpr size_t USAGE_NAME_WIDTH = 12;
inline constexpr size_t HELP_CHARACTERS = 64;

// Declared and never defined: a table row that would call one does not compile,
// and the compiler names the rule it breaks.
void function_name_does_not_fit_the_usage_column();
void function_help_is_longer_than_help_characters();
void function_argument_counts_admit_no_call();

// One row per function name: lookup, the argument-count check, the usage
// screen and the call of the handler all come from it. Rows are made at
// compile time; the handler is a reference, so a row without one does not
// compile, nor does a row that breaks the limits above.
struct FunctionEntry {
    const char *name;
    const char *help;
    uint8_t min_args;
    uint8_t max_args;
    Handler &handler;

    consteval FunctionEntry(const char *row_name, const char *row_help, int min, int max,
                            Handler &row_handler) noexcept
        : name(row_name), help(row_help), min_args(static_cast<uint8_t>(min)),
          max_args(static_cast<uint8_t>(max)), handler(row_handler) {
        if (length(row_name) >= USAGE_NAME_WIDTH)
            function_name_does_not_fit_the_usage_column();
        if (length(row_help) > HELP_CHARACTERS)
            function_help_is_longer_than_help_characters();
        if (min < 0 || min > max || max > MAX_ARGS)
            function_argument_counts_admit_no_call();
    }

  private:
    static consteval size_t length(const char *text) {
        size_t count = 0;
        while (text[count] != '\0')
            ++count;
        return count;
    }
};

// The rows, in the order of lookup and of the usage screen. Declared and
// defined const (constexpr would give it internal linkage under MSVC).
inline constexpr size_t FUNCTION_COUNT = 43;
extern const FunctionEntry function_table[FUNCTION_COUNT];

// The row of a function name, compared exactly; nullptr when there is none.
const FunctionEntry *find_function(const char *name);
