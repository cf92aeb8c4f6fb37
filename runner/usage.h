// The usage screen.
#pragma once

// Prints the usage screen and exits with EXIT_USAGE.
[[noreturn]] void show_usage();
