// The result store: the values that a run assigns and the change of
// directory that it leaves to the script, recorded while the function runs
// and delivered when it is done, printed (print_results.h) or handed over to
// tvset.cmd (handover.h); and the limits that every result keeps.
#pragma once

#include <cstddef>

#include "support/call.h"

// parse's rest variable and the main one.
inline constexpr int MAX_ASSIGNMENTS = 2;

struct Assignment {
    const char *name;        // upper-cased; parse's rest variable may be of any length
    char value[RESULT_SIZE]; // with -u or -l already applied
    bool reply;              // ask's reply, whose line end is no part of what tvset.cmd assigns
};

// chdir's change of drive and directory, made by the script (under -t, or
// handed over) rather than by the program.
struct DirectoryChange {
    bool wanted;
    const char *target; // chdir's argument: "X:dir" with a drive letter A to Z, else "dir"
    bool has_drive;     // the target begins with a letter and ":"
};

// The directory of a change, after its drive.
inline const char *change_dir(const DirectoryChange &change) {
    return change.target + (change.has_drive ? 2 : 0);
}

struct RunResults {
    Assignment assignments[MAX_ASSIGNMENTS];
    int count;
    DirectoryChange change;
};

// How a run's results reach the script.
enum class Delivery : bool { PRINTED, HANDED_OVER };

// Starts the store for a run, forgetting what an earlier run recorded.
void results_start(Delivery delivery);

// What the run has recorded so far.
const RunResults &run_results();

// Records value under name, in the order the script must make the
// assignments: folds the value's case by the flags and upper-cases the name,
// in place; records nothing for a name that stores nothing (name_stores).
// The name is never copied, so it may be of any length the environment takes.
void store_result(char *name, char *value, unsigned flags, bool reply = false);

// Records chdir's change for the script to make. Ends the run, before
// anything is printed, when its text cannot reach the script unchanged: when
// printed, a directory that holds a double quote, "%" or a control character
// cannot stay between the quotes of a cd command.
void record_directory_change(const char *target, bool has_drive);

// Ends the run, before anything is printed, when standard output cannot show
// every character of a text that a script is to receive.
void check_printable(const char *text);

// Ends the run, before anything is delivered, when a text that the script is
// to receive holds a character that the delivery cannot carry unchanged: the
// code page of standard output for printed lines, the batch code page for
// values handed over. A script must never receive a text other than the one
// meant. Messages need no check.
void check_deliverable(const char *text);

// Ends the run when a variable name is longer than NAME_CHARACTERS characters.
void check_name_length(const char *name);

// Copies length bytes of text into the result buffer and ends it with a zero
// byte; ends the run when the text holds more than RESULT_CHARACTERS characters.
void set_text_result(char *result, const char *text, size_t length);

// Ends the run when a text result of this many characters would not fit.
void check_result_length(size_t characters);

// False for a variable name that stores nothing: one beginning with ".", the
// empty name and "_NULL_" in any case.
bool name_stores(const char *name);

// Upper-cases a name that stores, in place, and ends the run when a variable
// of that name cannot be set: a name holding "=" (an environment variable's
// name never holds one), or, while the results are handed over, a name that a
// batch file cannot take. Nothing has been printed.
void check_name_settable(char *name);

// Ends the run with "Cannot set environment variable NAME", or "NAME=value"
// when value is not nullptr.
[[noreturn]] void fail_cannot_set(const char *name, const char *value);
