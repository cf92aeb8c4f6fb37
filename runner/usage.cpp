// The usage screen, made from the function table.
#include "runner/usage.h"

#include <cstdio>

#include "runner/function_table.h"
#include "support/exits.h"

static const char *const usage_head[] = {
    "",
    "tarvelix (03/13/2017)",
    "",
    "tarvelix - A batch utility for string, registry and other manipulations",
    "",
    "tarvelix env_var options function arg1 arg2 ...",
    "",
    "Where options are:",
    "      -u      return results in upper case",
    "      -l      return results in lower case",
    "      -v      verbose (display var=value)",
    "      -t      test (don't actually set the variable)",
    "",
    "Functions and arguments are:",
};

static const char *const usage_notes[] = {
    "Note: integer functions also set errorlevel",
    "      (0 for negative number, 1 for zero, 2 for positive number)",
    "      qvstatus set errorlevel from runid.cod as",
    "      (0:normal, 1:warning, 2:error, 3:severe error, 4:terminal error)",
};

// One function line of the usage screen: indent, name column, help, line end
// and zero byte.
inline constexpr size_t USAGE_LINE_SIZE = 2 + USAGE_NAME_WIDTH + HELP_CHARACTERS + 2;

static void write_lines(const char *const *lines, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        write_message(lines[i]);
        write_message("\n");
    }
}

void show_usage() {
    write_lines(usage_head, sizeof usage_head / sizeof usage_head[0]);
    for (const FunctionEntry &entry : function_table) {
        char line[USAGE_LINE_SIZE];
        snprintf(line, sizeof line, "  %-*s%s\n", static_cast<int>(USAGE_NAME_WIDTH), entry.name,
                 entry.help);
        write_message(line);
    }
    write_lines(usage_notes, sizeof usage_notes / sizeof usage_notes[0]);
    finish(EXIT_USAGE);
}
