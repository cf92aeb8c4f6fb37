// The results delivered as printed lines: chdir's commands and the "set"
// lines on standard output, and the variables set in the program's own
// process.
#pragma once

// Prints the recorded results: under TEST, chdir's commands, "X:" and
// "cd "dir"" (none for an empty directory); under VERBOSE or TEST, a line
// "set NAME=value" for each assignment. Every text is checked before the
// first line is printed.
void print_lines(unsigned flags);

// Sets each recorded variable in the program's own environment.
void set_variables();
