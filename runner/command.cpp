// The command line: the variable name, the options, the function and its
// arguments; then the call and the delivery of its results.
#include "runner/command.h"

#include <cstdio>
#include <cstring>

#include "runner/function_table.h"
#include "runner/usage.h"
#include "support/exits.h"
#include "support/handover.h"
#include "support/letters.h"
#include "support/print_results.h"
#include "support/results.h"

// Sets the option bit named by the second character; false for an unknown one.
static bool add_option(const char *arg, unsigned *flags) {
    switch (arg[1]) {
    case 'l': *flags |= LOWER; return true;
    case 'q': *flags |= QUIET; return true;
    case 't': *flags |= TEST; return true;
    case 'u': *flags |= UPPER; return true;
    case 'v': *flags |= VERBOSE; return true;
    default: return false;
    }
}

void run_command(int argc, char **argv) {
    // tvset.cmd puts "-tvset" first: the results are then handed over to it
    // in files, and the rest of the command line is read as always.
    bool handed = argc >= 2 && strcmp(argv[1], "-tvset") == 0;
    results_start(handed ? Delivery::HANDED_OVER : Delivery::PRINTED);
    if (handed) {
        send_messages_to_error();
        --argc;
        ++argv;
    }
    if (argc < 3 || argv[1][0] == '-')
        show_usage();

    char name[NAME_SIZE];
    check_name_length(argv[1]);
    snprintf(name, sizeof name, "%s", argv[1]);

    unsigned flags = 0;
    int invalid_options = 0;
    int next = 2;
    for (; next < argc && argv[next][0] == '-'; ++next) {
        if (!add_option(argv[next], &flags))
            ++invalid_options;
    }
    if (next >= argc)
        show_usage();

    const char *function = argv[next];
    const FunctionEntry *entry = find_function(function);
    if (entry == nullptr)
        fatal({"Unknown function <", function, ">"});

    int count = argc - next - 1;
    if (count < entry->min_args)
        fatal({"Function <", function, "> requires a minimum of ", decimal(entry->min_args).text,
               " arguments (", entry->help, ")"});
    if (count > entry->max_args)
        fatal({"Function <", function, "> can have at most ", decimal(entry->max_args).text,
               " arguments (", entry->help, ")"});
    if (invalid_options != 0)
        show_usage();
    // Handed over, the function runs as under -t: nothing is set or asked here.
    unsigned given = flags;
    if (handed)
        flags |= TEST;

    char **args = argv + next + 1;
    for (int i = 0; i < count; ++i)
        fold_case(args[i], flags);

    // The name's "set" line is printed last: it must not fail after other output.
    check_name_settable(name);
    if ((flags & (VERBOSE | TEST)) && name[0] != '.')
        check_deliverable(name);

    char result[RESULT_SIZE] = {};
    Outcome outcome = entry->handler(Call{function, args, count, flags, result});
    if (outcome.is_integer)
        snprintf(result, sizeof result, "%ld", static_cast<long>(outcome.value));
    store_result(name, result, flags, outcome.reply);
    if (handed)
        handover_finish(given, outcome.exit_code);
    print_lines(flags);
    if (!(flags & TEST))
        set_variables();
    finish(outcome.exit_code);
}
