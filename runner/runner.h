// The command runner: the command line, the function table and the usage screen.
#pragma once

#include <cstddef>
#include <cstdint>

#include "support/support.h"

// Computes one function's result from a call.
using Handler = Outcome(const Call &call);

// One row per function name: lookup, the argument-count check, the usage
// screen and the call of the handler all come from it. The handler is a
// reference, so a row without one does not compile.
struct FunctionEntry {
    const char *name;
    const char *help;
    uint8_t min_args;
    uint8_t max_args;
    Handler &handler;
};

inline constexpr size_t FUNCTION_COUNT = 43;
extern const FunctionEntry function_table[FUNCTION_COUNT];

// Entry of the program: validates the command line, runs the function,
// stores the result and ends the process.
[[noreturn]] void run_command(int argc, char **argv);

// Prints the usage screen and exits with EXIT_USAGE.
[[noreturn]] void show_usage();
