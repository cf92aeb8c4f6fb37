// The results delivered as printed lines: chdir's commands and the "set"
// lines on standard output, and the variables set in the program's own
// process.
#pragma once

// Delivers the recorded results: under TEST, chdir's lines "X:" and
// "cd "dir""; under VERBOSE or TEST, a line "set NAME=value" for each
// assignment; unless TEST, each variable set in the environment. Every text
// is checked before the first line is printed.
void print_results(unsigned flags);
