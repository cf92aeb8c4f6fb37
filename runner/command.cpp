// The command line, the function table and the usage screen.
#include <cstdio>
#include <cstring>

#include "functions/functions.h"
#include "runner/runner.h"
#include "support/handover.h"

// Lookup and usage listing both follow this order. Every row is made while
// compiling (constinit), so the table needs no start-up code.
constinit const FunctionEntry function_table[FUNCTION_COUNT] = {
    {"add", "num1 num2 ...", 2, 99, handle_add},
    {"sub", "num1 num2 ...", 2, 99, handle_sub},
    {"div", "num1 num2 ...", 2, 99, handle_div},
    {"mul", "num1 num2 ...", 2, 99, handle_mul},
    {"mult", "num1 num2 ...", 2, 99, handle_mul},
    {"filedrive", "filespec", 1, 1, handle_filedrive},
    {"filedrv", "filespec", 1, 1, handle_filedrive},
    {"filedir", "filespec", 1, 1, handle_filedir},
    {"fileddir", "filespec", 1, 1, handle_fileddir},
    {"filename", "filespec", 1, 1, handle_filename},
    {"fileext", "filespec", 1, 1, handle_fileext},
    {"filesize", "filespec", 1, 1, handle_filesize},
    {"filetime", "filespec", 1, 1, handle_filetime},
    {"update", "source target", 2, 2, handle_update},
    {"curdrive", "", 0, 0, handle_curdrive},
    {"curdrv", "", 0, 0, handle_curdrive},
    {"curdir", "[drive]", 0, 1, handle_curdir},
    {"curddir", "[drive]", 0, 1, handle_curddir},
    {"isdir", "directory", 1, 1, handle_isdir},
    {"chdir", "drive_and_or_dir", 1, 1, handle_chdir},
    {"drvrdy", "drive", 1, 1, handle_drvrdy},
    {"driveready", "drive", 1, 1, handle_drvrdy},
    {"read", "filespec line", 2, 2, handle_read},
    {"ask", "[\"question\"] [options_in[]]", 0, 2, handle_ask},
    {"set", "string", 1, 1, handle_set},
    {"setqortop", "string", 0, 0, handle_setqortop},
    {"ltrim", "string", 1, 1, handle_ltrim},
    {"rtrim", "string", 1, 1, handle_rtrim},
    {"trim", "string", 1, 1, handle_trim},
    {"left", "length string", 2, 2, handle_left},
    {"right", "length string", 2, 2, handle_right},
    {"substr", "begin length string", 3, 3, handle_substr},
    {"length", "string", 1, 1, handle_length},
    {"remblank", "string", 1, 1, handle_remblank},
    {"nword", "word1 word2 ...", 0, 99, handle_nword},
    {"word", "index word1 ...", 1, 99, handle_word},
    {"findw", "word word1 word2 ...", 2, 99, handle_findw},
    {"findm", "word word1 word2 ...", 2, 99, handle_findm},
    {"finds", "substr string", 2, 2, handle_finds},
    {"parse", "{rest_var | -} word1 ...", 1, 99, handle_parse},
    {"endslash", "directory", 1, 99, handle_endslash},
    {"qvstatus", "runid.cod", 1, 1, handle_qvstatus},
    {"setexit", "errorlevel", 1, 1, handle_setexit},
};

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

static const FunctionEntry *find_function(const char *name) {
    for (const FunctionEntry &entry : function_table) {
        if (strcmp(entry.name, name) == 0)
            return &entry;
    }
    return nullptr;
}

void run_command(int argc, char **argv) {
    // tvset.cmd puts "-tvset" first: the results are then handed over to it
    // in files, and the rest of the command line is read as always.
    bool handed = argc >= 2 && strcmp(argv[1], "-tvset") == 0;
    handover_start(handed);
    if (handed) {
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
        failf("%s: Unknown function <%s>", PROGRAM_NAME, function);

    int count = argc - next - 1;
    if (count < entry->min_args)
        failf("%s: Function <%s> requires a minimum of %d arguments (%s)", PROGRAM_NAME, function,
              entry->min_args, entry->help);
    if (count > entry->max_args)
        failf("%s: Function <%s> can have at most %d arguments (%s)", PROGRAM_NAME, function,
              entry->max_args, entry->help);
    if (invalid_options != 0)
        show_usage();
    // Handed over, the function runs as under -t: nothing is set or asked here.
    if (handed)
        flags |= TEST;

    char **args = argv + next + 1;
    for (int i = 0; i < count; ++i)
        fold_case(args[i], flags);

    // The name's "set" line is printed last: it must not fail after other output.
    check_name_settable(name);
    if ((flags & (VERBOSE | TEST)) && name[0] != '.')
        check_printable(name);

    char result[RESULT_SIZE] = {};
    Outcome outcome = entry->handler(Call{function, args, count, flags, result});
    if (outcome.is_integer)
        snprintf(result, sizeof result, "%ld", static_cast<long>(outcome.value));
    store_result(name, result, flags);
    if (handed)
        handover_finish(outcome.exit_code);
    finish(outcome.exit_code);
}
