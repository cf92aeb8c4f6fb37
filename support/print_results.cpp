// Printing the "set" lines and chdir's commands, and setting the variables.
#include "support/print_results.h"

#include "platform/platform.h"
#include "support/exits.h"
#include "support/results.h"

// chdir's commands, which come before the "set" lines: the drive's letter
// and colon, and cd to the directory unless it is empty, as after "chdir C:".
static void print_directory_change(const DirectoryChange &change) {
    if (change.has_drive) {
        const char line[] = {change.target[0], ':', '\n', '\0'};
        write_out(line);
    }
    const char *dir = change_dir(change);
    if (dir[0] == '\0')
        return;
    // The directory may be far longer than any buffer: it is written as it stands.
    write_out("cd \"");
    write_out(dir);
    write_out("\"\n");
}

void print_lines(unsigned flags) {
    const RunResults &results = run_results();
    bool printed = (flags & (VERBOSE | TEST)) != 0;
    for (int i = 0; printed && i < results.count; ++i) {
        check_printable(results.assignments[i].name);
        check_printable(results.assignments[i].value);
    }
    if ((flags & TEST) && results.change.wanted)
        print_directory_change(results.change);
    for (int i = 0; printed && i < results.count; ++i) {
        write_out("set ");
        write_out(results.assignments[i].name);
        write_out("=");
        write_out(results.assignments[i].value);
        write_out("\n");
    }
}

void set_variables() {
    const RunResults &results = run_results();
    for (int i = 0; i < results.count; ++i) {
        const Assignment &assignment = results.assignments[i];
        if (!platform_set_env(assignment.name, assignment.value))
            fail_cannot_set(assignment.name, assignment.value);
    }
}
