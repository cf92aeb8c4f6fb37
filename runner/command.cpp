// The command line, the function table, dispatch and the usage screen.
#include <cstdio>
#include <cstring>

#include "functions/functions.h"
#include "runner/runner.h"

// Lookup and usage listing both follow this order.
const FunctionEntry function_table[FUNCTION_COUNT] = {
    {"add", "num1 num2 ...", 1, 2, 99},
    {"sub", "num1 num2 ...", 2, 2, 99},
    {"div", "num1 num2 ...", 3, 2, 99},
    {"mul", "num1 num2 ...", 4, 2, 99},
    {"mult", "num1 num2 ...", 4, 2, 99},
    {"filedrive", "filespec", 11, 1, 1},
    {"filedrv", "filespec", 11, 1, 1},
    {"filedir", "filespec", 12, 1, 1},
    {"fileddir", "filespec", 13, 1, 1},
    {"filename", "filespec", 14, 1, 1},
    {"fileext", "filespec", 15, 1, 1},
    {"filesize", "filespec", 16, 1, 1},
    {"filetime", "filespec", 17, 1, 1},
    {"update", "source target", 18, 2, 2},
    {"curdrive", "", 31, 0, 0},
    {"curdrv", "", 31, 0, 0},
    {"curdir", "[drive]", 32, 0, 1},
    {"curddir", "[drive]", 33, 0, 1},
    {"isdir", "directory", 34, 1, 1},
    {"chdir", "drive_and_or_dir", 35, 1, 1},
    {"drvrdy", "drive", 41, 1, 1},
    {"driveready", "drive", 41, 1, 1},
    {"read", "filespec line", 51, 2, 2},
    {"ask", "[\"question\"] [options_in[]]", 52, 0, 2},
    {"set", "string", 53, 1, 1},
    {"setqortop", "string", 68, 0, 0},
    {"ltrim", "string", 54, 1, 1},
    {"rtrim", "string", 55, 1, 1},
    {"trim", "string", 56, 1, 1},
    {"left", "length string", 57, 2, 2},
    {"right", "length string", 58, 2, 2},
    {"substr", "begin length string", 59, 3, 3},
    {"length", "string", 60, 1, 1},
    {"remblank", "string", 61, 1, 1},
    {"nword", "word1 word2 ...", 62, 0, 99},
    {"word", "index word1 ...", 63, 1, 99},
    {"findw", "word word1 word2 ...", 64, 2, 99},
    {"findm", "word word1 word2 ...", 65, 2, 99},
    {"finds", "substr string", 66, 2, 2},
    {"parse", "{rest_var | -} word1 ...", 67, 1, 99},
    {"endslash", "directory", 71, 1, 99},
    {"qvstatus", "runid.cod", 72, 1, 1},
    {"setexit", "errorlevel", 73, 1, 1},
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

static void write_lines(const char *const *lines, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        write_out(lines[i]);
        write_out("\n");
    }
}

void show_usage() {
    write_lines(usage_head, sizeof usage_head / sizeof usage_head[0]);
    for (const FunctionEntry &entry : function_table) {
        char line[80];
        snprintf(line, sizeof line, "  %-12s%s\n", entry.name, entry.help);
        write_out(line);
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

// Calls the handler of a function id.
static Outcome dispatch(int id, const Call &call) {
    switch (id) {
    case 1:
    case 2:
    case 3:
    case 4: return arithmetic(id, call);
    case 11:
    case 12:
    case 13:
    case 14:
    case 15: return file_name_part(id, call);
    case 16:
    case 17:
    case 18:
    case 34: return file_status_function(id, call);
    case 31:
    case 32:
    case 33:
    case 35:
    case 41: return drive_function(id, call);
    case 53:
    case 54:
    case 55:
    case 56:
    case 57:
    case 58:
    case 59:
    case 60:
    case 61: return string_function(id, call);
    case 62:
    case 63:
    case 64:
    case 65:
    case 66:
    case 67: return word_function(id, call);
    case 71: return endslash(call);
    case 51: return read_line(call);
    case 52: return ask(call);
    case 68: return setqortop(call);
    case 72: return qvstatus(call);
    case 73: return setexit(call);
    default: failf("Function <%s> not implemented yet", call.function);
    }
}

void run_command(int argc, char **argv) {
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

    char **args = argv + next + 1;
    for (int i = 0; i < count; ++i)
        fold_case(args[i], flags);

    char result[RESULT_SIZE] = {};
    Outcome outcome = dispatch(entry->id, Call{function, args, count, flags, result});
    if (outcome.is_integer)
        snprintf(result, sizeof result, "%ld", static_cast<long>(outcome.value));
    store_result(name, result, flags);
    finish(outcome.exit_code);
}
