// Printing the "set" lines and chdir's commands, and setting the variables.
#include "support/print_results.h"

#include "platform/platform.h"
#include "support/exits.h"
#include "support/results.h"

// chdir's commands, which come before the "set" lines.
static void print_directory_change(const DirectoryChange &change) {
    if (change.drive != '\0') {
        const char line[] = {change.drive, ':', '\n', '\0'};
        write_out(line);
    }
    // The directory may be far longer than any buffer: it is written as it stands.
    write_out("cd \"");
    write_out(change.dir);
    write_out("\"\n");
}

void print_results(unsigned flags) {
    const RunResults &results = run_results();
    bool printed = (flags & (VERBOSE | TEST)) != 0;
    bool change = (flags & TEST) && results.change.wanted;
    if (change)
        check_deliverable(results.change.dir);
    for (int i = 0; printed && i < results.count; ++i) {
        check_deliverable(results.assignments[i].name);
        check_deliverable(results.assignments[i].value);
    }
    if (change)
        print_directory_change(results.change);
    for (int i = 0; i < results.count; ++i) {
        const Assignment &assignment = results.assignments[i];
        if (printed) {
            write_out("set ");
            write_out(assignment.name);
            write_out("=");
            write_out(assignment.value);
            write_out("\n");
        }
        if (!(flags & TEST) && !platform_set_env(assignment.name, assignment.value))
            fail_cannot_set(assignment.name, assignment.value);
    }
}
