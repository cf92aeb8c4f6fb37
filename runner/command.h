// The command runner: reads the command line, runs the function and delivers
// its results.
#pragma once

// Entry of the program: validates the command line, runs the function,
// delivers the results and ends the process.
[[noreturn]] void run_command(int argc, char **argv);
