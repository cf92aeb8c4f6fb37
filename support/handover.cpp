// Handing the results over to tvset.cmd: the folder of the files, the files,
// and what earlier calls left behind.
#include "support/handover.h"

#include <cstring>

#include "platform/platform.h"
#include "support/batch_text.h"
#include "support/bounded_text.h"
#include "support/exits.h"
#include "support/print_results.h"
#include "support/results.h"
#include "support/tvset_line.h"

// The variables that may name the folder of the files, in the order in which
// Windows looks for its temporary folder; a number's span says which.
static const char *const FOLDER_VARIABLES[] = {"TMP", "TEMP", "USERPROFILE"};
inline constexpr int FOLDER_VARIABLE_COUNT = sizeof FOLDER_VARIABLES / sizeof FOLDER_VARIABLES[0];

// The longest path that cmd.exe opens, in its units.
inline constexpr size_t CMD_PATH_LIMIT = 259;
// Paths built here, as UTF-8: room for any path that cmd.exe opens, and for
// a name after it.
inline constexpr size_t PATH_SIZE = UTF8_MAX * CMD_PATH_LIMIT + 64;
// The longest name of a file of commands, "<number>.tvs", and of a folder
// of values, "tvset-<number>".
inline constexpr size_t COMMAND_FILE_NAME_MAX = 12;
inline constexpr size_t MADE_NAME_MAX = 16;
// Attempts at a name that no other run holds.
inline constexpr int NAME_ATTEMPTS = 64;
// A file of commands or a folder of values that is older than this was left
// by a call whose line never ran (its errorlevel was overwritten, or it was
// stopped): a later call removes it.
inline constexpr int64_t STALE_SECONDS = 3600;
// The most of those one call removes: there are seldom any.
inline constexpr int STALE_MAX = 8;

static const char COMMAND_FILE_SUFFIX[] = ".tvs";
static const char VALUE_FOLDER_PREFIX[] = "tvset-";

// A folder that a variable names, as tvset.cmd reads it.
struct Folder {
    int variable; // its index in FOLDER_VARIABLES
    bool quoted;  // the variable's value stands between double quotes
    char full[PATH_SIZE];
};

static TvsetLine line;

// ---- Paths -----------------------------------------------------------------

// The path of name in folder, into buffer; false when it does not fit.
static bool join(const char *folder, const char *name, char *buffer, size_t size) {
    BoundedText path = bounded_text(buffer, size);
    append(&path, folder);
    if (path.length > 0 && buffer[path.length - 1] != PATH_SEPARATOR)
        append_char(&path, PATH_SEPARATOR);
    append(&path, name);
    return !path.cut;
}

static bool is_device_path(const char *path) {
    return strncmp(path, "\\\\.\\", 4) == 0 || strncmp(path, "\\\\?\\", 4) == 0;
}

// Reads the folder that a variable names, as tvset.cmd will, without
// surrounding double quotes. False when the variable is unset or empty, or
// its folder cannot serve: tvset.cmd's own lines, where delayed expansion is
// on, would act on it; it is a device path; or cmd.exe could not open the
// file of commands in it.
static bool read_folder(int variable, Folder *folder) {
    char value[PATH_SIZE], path[PATH_SIZE];
    if (!platform_get_env(FOLDER_VARIABLES[variable], value, sizeof value))
        return false;
    size_t length = strlen(value);
    folder->variable = variable;
    folder->quoted = length >= 2 && value[0] == '"' && value[length - 1] == '"';
    size_t start = folder->quoted ? 1 : 0;
    length -= folder->quoted ? 2 : 0;
    memcpy(path, value + start, length);
    path[length] = '\0';
    return length > 0 && batch_text_safe(path, true) && !is_device_path(path) &&
           platform_full_path(path, folder->full, sizeof folder->full) >= 0 &&
           wtf8_utf16_length(folder->full, strlen(folder->full)) + 1 + COMMAND_FILE_NAME_MAX <=
               CMD_PATH_LIMIT;
}

// ---- Files -----------------------------------------------------------------

// Removes the value files numbered 1 to count and their folder.
static void remove_value_folder(const char *folder, int count) {
    char path[PATH_SIZE];
    for (int n = count; n >= 1; --n) {
        if (join(folder, decimal(n).text, path, sizeof path))
            platform_remove_file(path);
    }
    platform_remove_dir(folder);
}

// Writes the line's value files into the folder; on a failure removes those
// written, and the folder.
static bool write_value_files(const char *folder) {
    char path[PATH_SIZE];
    for (int n = 1; n <= line.file_count; ++n) {
        // One line each: "set /p" reads up to the line end.
        static char text[RESULT_SIZE + 1];
        const ValueFile &file = line.files[n - 1];
        memcpy(text, file.text, file.length);
        text[file.length] = '\n';
        if (!join(folder, decimal(n).text, path, sizeof path) ||
            platform_write_new_file(path, text, file.length + 1) != CREATED) {
            remove_value_folder(folder, n - 1);
            return false;
        }
    }
    return true;
}

// Writes the line into a file of commands of a new number in the folder;
// the number, or 0 when it cannot be written.
static int32_t write_command_file(const Folder &folder) {
    for (int attempt = 0; attempt < NAME_ATTEMPTS; ++attempt) {
        int32_t id = FIRST_HANDOVER_ID + folder.variable * ID_SPAN +
                     static_cast<int32_t>(platform_random() % (ID_SPAN / 2)) * 2 +
                     (folder.quoted ? 1 : 0);
        char name[COMMAND_FILE_NAME_MAX + 1], path[PATH_SIZE];
        BoundedText name_text = bounded_text(name, sizeof name);
        append(&name_text, decimal(id).text);
        append(&name_text, COMMAND_FILE_SUFFIX);
        if (!join(folder.full, name, path, sizeof path))
            return 0;
        PlatformCreated made = platform_write_new_file(path, line.text, line.length);
        if (made == CREATED)
            return id;
        if (made == CREATE_FAILED)
            return 0;
    }
    return 0;
}

// ---- What earlier calls left ------------------------------------------------

struct Stale {
    char names[STALE_MAX][MADE_NAME_MAX + 1];
    bool folders[STALE_MAX];
    int count;
};

// True for a name of digits after prefix and before suffix, as the names of
// the files and folders made here are.
static bool is_made_name(const char *name, const char *prefix, const char *suffix) {
    size_t length = strlen(name), prefix_length = strlen(prefix), suffix_length = strlen(suffix);
    if (length <= prefix_length + suffix_length || length > MADE_NAME_MAX ||
        strncmp(name, prefix, prefix_length) != 0 ||
        strcmp(name + length - suffix_length, suffix) != 0)
        return false;
    for (size_t i = prefix_length; i < length - suffix_length; ++i) {
        if (name[i] < '0' || name[i] > '9')
            return false;
    }
    return true;
}

static void note_stale(const PlatformEntry &entry, void *context) {
    auto *stale = static_cast<Stale *>(context);
    bool file = entry.is_file && is_made_name(entry.name, "", COMMAND_FILE_SUFFIX);
    bool folder = entry.is_directory && is_made_name(entry.name, VALUE_FOLDER_PREFIX, "");
    if ((!file && !folder) || entry.modified > platform_now() - STALE_SECONDS ||
        stale->count == STALE_MAX)
        return;
    memcpy(stale->names[stale->count], entry.name, strlen(entry.name) + 1);
    stale->folders[stale->count++] = folder;
}

// Removes what calls whose line never ran left in the folder long ago.
static void remove_stale(const char *folder) {
    Stale stale{};
    platform_list_dir(folder, note_stale, &stale);
    char path[PATH_SIZE];
    for (int i = 0; i < stale.count; ++i) {
        if (!join(folder, stale.names[i], path, sizeof path))
            continue;
        if (stale.folders[i])
            remove_value_folder(path, VALUE_FILES_MAX);
        else
            platform_remove_file(path);
    }
}

// ---- Handing over ------------------------------------------------------------

// Writes the files in the folder, in its full or short form, and ends the
// run. Returns when the folder cannot hold them, having removed what it
// made; *too_long is set when the line would be too long with it.
static void hand_over_in(const Folder &folder, LineRequest request, bool *too_long) {
    if (line.file_count == 0) {
        int32_t id = write_command_file(folder);
        if (id == 0)
            return;
        remove_stale(folder.full);
        finish(id);
    }
    // The short form, where the system has one, is shorter and may avoid what
    // cmd would act on.
    char brief[PATH_SIZE];
    bool has_brief = platform_short_path(folder.full, brief, sizeof brief) >= 0 &&
                     strcmp(brief, folder.full) != 0;
    const char *forms[] = {folder.full, has_brief ? brief : nullptr};
    for (const char *form : forms) {
        for (int attempt = 0; form != nullptr && attempt < NAME_ATTEMPTS; ++attempt) {
            char name[MADE_NAME_MAX + 1], values[PATH_SIZE];
            BoundedText name_text = bounded_text(name, sizeof name);
            append(&name_text, VALUE_FOLDER_PREFIX);
            append(&name_text, decimal(platform_random()).text);
            if (!join(form, name, values, sizeof values))
                break;
            request.value_folder = values;
            LineProblem problem = compose_tvset_line(request, &line);
            *too_long = *too_long || problem == LineProblem::TOO_LONG;
            if (problem != LineProblem::NONE)
                break; // the line cannot hold this form of the folder
            PlatformCreated made = platform_make_new_dir(values);
            if (made == ALREADY_EXISTS)
                continue;
            if (made == CREATE_FAILED || !write_value_files(values))
                return;
            int32_t id = write_command_file(folder);
            if (id == 0) {
                remove_value_folder(values, line.file_count);
                return;
            }
            remove_stale(folder.full);
            finish(id);
        }
    }
}

// Ends the run when nothing can hand the results over unchanged.
static void refuse(LineProblem problem) {
    switch (problem) {
    case LineProblem::VALUE_LINE_END:
        fatal({"tvset: a value that holds a line end cannot be handed over"}, Prefix::NONE);
    case LineProblem::DIR_LINE_END:
        fatal({"tvset: a directory that holds a line end cannot be handed over"}, Prefix::NONE);
    case LineProblem::DIR_UNSAFE:
        fatal({"tvset: a directory that holds \", % or a control character can be handed over "
               "only with delayed expansion on"},
              Prefix::NONE);
    case LineProblem::NAME_UNSAFE: // check_name_settable has refused such a name already
        fatal({"tvset: a name holds a character that cmd acts on"}, Prefix::NONE);
    case LineProblem::NONE:
    case LineProblem::FOLDER_NEEDED:
    case LineProblem::FOLDER_UNSAFE:
    case LineProblem::TOO_LONG: break;
    }
}

[[noreturn]] static void fail_too_long() {
    fatal({"tvset: the names and the directory are too long for one line of commands"},
          Prefix::NONE);
}

static bool caller_has_delayed_expansion() {
    char delayed[2];
    return platform_get_env("_tvdelayed", delayed, sizeof delayed) && strcmp(delayed, "1") == 0;
}

void handover_finish(unsigned flags, int exit_code) {
    const RunResults &results = run_results();
    // cmd reads every text that it assigns in the batch code page.
    for (int i = 0; !(flags & TEST) && i < results.count; ++i) {
        check_deliverable(results.assignments[i].name);
        check_deliverable(results.assignments[i].value);
    }
    LineRequest request{&results, !(flags & TEST), caller_has_delayed_expansion(), nullptr,
                        exit_code};
    LineProblem problem = compose_tvset_line(request, &line);
    refuse(problem);
    // Without a value file, no folder can shorten the line.
    bool too_long = problem == LineProblem::TOO_LONG;
    if (too_long)
        fail_too_long();
    print_lines(flags);
    flush_or_fail();
    if (!tvset_line_acts(request) && exit_code < FIRST_HANDOVER_ID)
        finish(exit_code);
    Folder folder;
    bool found = false;
    char first[PATH_SIZE];
    for (int variable = 0; variable < FOLDER_VARIABLE_COUNT; ++variable) {
        if (!read_folder(variable, &folder))
            continue;
        if (!found)
            memcpy(first, folder.full, strlen(folder.full) + 1);
        found = true;
        hand_over_in(folder, request, &too_long);
    }
    if (too_long)
        fail_too_long();
    if (!found)
        fatal({"tvset: none of TMP, TEMP and USERPROFILE names a folder for its files"},
              Prefix::NONE);
    fatal({"tvset: cannot make a temporary folder in \"", first, "\""}, Prefix::NONE);
}
