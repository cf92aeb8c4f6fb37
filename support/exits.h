// The ends of a run and the messages for the person running the script: one
// way to write a message, one way to fail, one way to finish.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>

// The program's name, which begins most of its messages.
inline constexpr const char *PROGRAM_NAME = "tarvelix";

inline constexpr int EXIT_USAGE = 11;
inline constexpr int EXIT_FATAL = 12;

// The pieces of one message, written one after the other: no buffer limits
// how long a name or a path in a message may be.
using Pieces = std::initializer_list<const char *>;

// Whether a message begins with the program's name and a colon. A few texts
// that scripts know as they stand have none: "Invalid number encountered",
// "Cannot set environment variable NAME", the registry's and tvset's.
enum class Prefix : bool { NONE, NAME };

// Sends the messages of fatal errors and the usage screen to standard error
// instead of standard output, where they always went: while the results are
// handed over to tvset.cmd, standard output belongs to the calling script.
// The runner decides once, before anything is written.
void send_messages_to_error();

// Writes text on standard output.
void write_out(const char *text);

// Writes text on the stream of messages (a line of the usage screen).
void write_message(const char *text);

// Writes the pieces and a line end on standard error: a failure that does not
// end the run, such as a file that cannot be read.
void warn(Pieces pieces, Prefix prefix = Prefix::NAME);

// Writes the pieces and a line end on the stream of messages and ends the run
// with EXIT_FATAL.
[[noreturn]] void fatal(Pieces pieces, Prefix prefix = Prefix::NAME);

// Ends the run because text that must reach a script unchanged holds a
// character that the code page lacks: a lone surrogate, which no code page
// holds, is named; otherwise "chcp 65001" is suggested.
[[noreturn]] void fail_code_page(const char *text, unsigned code_page);

// Flushes standard output; when anything written to it has been lost, ends
// the run with EXIT_FATAL and a line on standard error.
void flush_or_fail();

// Flushes standard output and ends the process. A failed write to standard
// output turns any exit code into EXIT_FATAL, with a line on standard error.
[[noreturn]] void finish(int exit_code);

// A number as text, for a piece of a message: room for any 64-bit number in
// decimal with its sign, and its zero byte.
inline constexpr size_t NUMBER_TEXT_SIZE = 21;
struct NumberText {
    char text[NUMBER_TEXT_SIZE];
};
NumberText decimal(int64_t value);
// At least four upper-case hexadecimal digits, as Unicode names a code point.
NumberText code_point_hex(uint32_t value);
