// Handing a run's results over to tvset.cmd. Run as "tarvelix -tvset NAME
// ...", the program writes one line of batch commands (tvset_line.h) into a
// file of commands, and the values that the line reads into files of their
// own, and ends with a number that names the file of commands. tvset.cmd
// reads the line with "set /p" and runs it after its last endlocal, so a
// value reaches the calling script through "set /p" alone.
//
// The file of commands is <folder>\<number>.tvs; the value files lie in a
// folder of a new name, <folder>\tvset-<number>, which the line removes. The
// folder is the first of TMP, TEMP and USERPROFILE (the order in which
// Windows looks for its temporary folder) that tvset.cmd and the line can
// use. The number tells tvset.cmd which variable that was and whether its
// value has double quotes around it, which are no part of the folder.
// Fatal errors, the usage screen and a run that hands nothing over end with
// their own codes, which lie below every number that names a file.
#pragma once

#include <cstdint>

// The smallest number that names a file of commands; tvset.cmd passes any
// smaller exit code on as it is.
inline constexpr int32_t FIRST_HANDOVER_ID = 1 << 20;
// The numbers of the folder variables TMP, TEMP and USERPROFILE: from
// FIRST_HANDOVER_ID + i * ID_SPAN on for the i-th of them. An odd number says
// that the variable's value stands between double quotes. tvset.cmd knows
// these numbers.
inline constexpr int32_t ID_SPAN = 1 << 24;

// Hands the recorded results over under the options given on the command
// line (-t: nothing is assigned; -v and -t: the "set" lines are printed too)
// and ends the process with the number that names the file of commands, or
// with the exit code itself when there is nothing to hand over. When the
// results cannot be handed over, says why on standard error and ends with
// EXIT_FATAL, leaving no file behind.
[[noreturn]] void handover_finish(unsigned flags, int exit_code);
