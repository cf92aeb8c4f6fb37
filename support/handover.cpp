// The files that hand a run's results over to tvset.cmd, and the line of
// batch commands that takes them.
#include "support/handover.h"

#include <cstdio>
#include <cstring>

#include "platform/platform.h"
#include "support/exits.h"
#include "support/print_results.h"
#include "support/results.h"

// The longest line that "set /p" reads whole on every system.
inline constexpr size_t LINE_SIZE = 1000;
// The longest path that cmd.exe opens, in its units.
inline constexpr size_t CMD_PATH_LIMIT = 259;
// Paths built here, as UTF-8: room for a folder of any length cmd.exe can use.
inline constexpr size_t PATH_SIZE = 4 * (CMD_PATH_LIMIT + 1) + 64;
// Numbers that name a file of commands stay below this, so that the name,
// "<number>.tvs", is a valid short name: its short form is itself.
inline constexpr uint32_t ID_END = 100000000;
// Attempts at a name that no other run holds.
inline constexpr int NAME_ATTEMPTS = 64;
// The variables whose folders may hold the values, in the order they are
// tried: the folder tvset.cmd names, then the usual places for temporary files.
static const char *const VALUE_FOLDER_VARIABLES[] = {"_tvtemp", "TMP", "TEMP", "LOCALAPPDATA",
                                                     "USERPROFILE"};

// The folder of the values and the files written in it so far, removed again
// when the run cannot hand over.
static char value_folder[PATH_SIZE];
static int value_files = 0;
// The number of each assignment's value file, 0 for none.
static int value_file_of[MAX_ASSIGNMENTS];

bool handover_can_take_name(const char *name) {
    for (const char *c = name; *c; ++c) {
        if (*c == '"' || *c == '%' || *c == '!' || static_cast<unsigned char>(*c) < 0x20)
            return false;
    }
    return true;
}

[[noreturn]] static void fail_line_length() {
    fatal({"tvset: the names and the directory are too long for one line of commands"},
          Prefix::NONE);
}

// ---- Texts of bounded length ---------------------------------------------------

struct Text {
    char *data;
    size_t size;
    size_t length;
    bool cut; // something did not fit
};

// Appends length bytes of part.
static void append_bytes(Text *text, const char *part, size_t length) {
    if (text->length + length >= text->size) {
        text->cut = true;
        return;
    }
    memcpy(text->data + text->length, part, length);
    text->length += length;
    text->data[text->length] = '\0';
}

static void append(Text *text, const char *part) {
    append_bytes(text, part, strlen(part));
}

static void append_number(Text *text, uint32_t number) {
    char digits[16];
    snprintf(digits, sizeof digits, "%lu", static_cast<unsigned long>(number));
    append(text, digits);
}

// Appends a path separator unless the text already ends with one.
static void append_separator(Text *text) {
    if (text->length == 0 || text->data[text->length - 1] != PATH_SEPARATOR) {
        const char separator[] = {PATH_SEPARATOR, '\0'};
        append(text, separator);
    }
}

// ---- Failing ---------------------------------------------------------------------

// The path of the value file numbered n (from 1) in the folder of the values.
static void value_path(int n, char *buffer, size_t size) {
    Text path{buffer, size, 0, false};
    append(&path, value_folder);
    append_separator(&path);
    append_number(&path, static_cast<uint32_t>(n));
}

static void remove_values() {
    char path[PATH_SIZE];
    for (int i = value_files; i >= 1; --i) {
        value_path(i, path, sizeof path);
        platform_remove_file(path);
    }
    if (value_folder[0] != '\0')
        platform_remove_dir(value_folder);
}

[[noreturn]] static void fail_folder(const char *folder) {
    remove_values();
    fatal({"tvset: cannot make a temporary folder in \"", folder, "\""}, Prefix::NONE);
}

// ---- The folder of the values ----------------------------------------------------

// A folder whose path the line can carry whatever the caller's state: no "!"
// (delayed expansion), no "%" (which Wine's cmd.exe takes as a FOR variable
// in the text it has put in), nothing the batch code page lacks, and short
// enough that cmd.exe opens the files in it.
static bool fits_line(const char *folder) {
    for (const char *c = folder; *c; ++c) {
        if (*c == '!' || *c == '%' || *c == '"' || static_cast<unsigned char>(*c) < 0x20)
            return false;
    }
    // The longest file below it: \tvset-<number>\<n>.
    const size_t below = strlen("\\tvset-4294967295\\2");
    return wtf8_utf16_length(folder, strlen(folder)) + below <= CMD_PATH_LIMIT &&
           platform_batch_can_hold(folder, strlen(folder));
}

// Makes a folder of a new name below base into value_folder; false when base
// cannot have one.
static bool make_value_folder(const char *base) {
    for (int attempt = 0; attempt < NAME_ATTEMPTS; ++attempt) {
        Text path{value_folder, sizeof value_folder, 0, false};
        append(&path, base);
        append_separator(&path);
        append(&path, "tvset-");
        append_number(&path, platform_random());
        if (path.cut)
            return false;
        PlatformCreated made = platform_make_new_dir(value_folder);
        if (made == CREATED)
            return true;
        if (made == CREATE_FAILED)
            break;
    }
    value_folder[0] = '\0';
    return false;
}

// Finds the first usable folder for the values, in its full form or else its
// short one.
static bool choose_value_folder() {
    char value[PATH_SIZE], full[PATH_SIZE], brief[PATH_SIZE];
    for (const char *variable : VALUE_FOLDER_VARIABLES) {
        if (!platform_get_env(variable, value, sizeof value) || value[0] == '\0' ||
            platform_full_path(value, full, sizeof full) < 0)
            continue;
        if (fits_line(full) && make_value_folder(full))
            return true;
        if (platform_short_path(full, brief, sizeof brief) >= 0 && fits_line(brief) &&
            make_value_folder(brief))
            return true;
    }
    return false;
}

// The length of a value without the line end that ask leaves in it.
static size_t value_length(const char *value) {
    size_t length = strlen(value);
    return length > 0 && value[length - 1] == '\n' ? length - 1 : length;
}

// The longest value that the line itself carries.
inline constexpr size_t PLAIN_VALUE_MAX = 200;

// True for a value that the line can carry itself, in set "NAME=value": one
// without the characters that cmd still acts on between double quotes in an
// expanded line (a quote, "%" that Wine's cmd.exe reads as a FOR variable,
// "!" and "^" under delayed expansion) and without control characters.
// Most values are such (numbers, names, paths); the others take a file.
static bool is_plain(const char *value, size_t length) {
    if (length > PLAIN_VALUE_MAX)
        return false;
    for (size_t i = 0; i < length; ++i) {
        char c = value[i];
        if (c == '"' || c == '%' || c == '!' || c == '^' || static_cast<unsigned char>(c) < 0x20)
            return false;
    }
    return true;
}

// True for a value that takes a file of its own.
static bool needs_file(const char *value) {
    size_t length = value_length(value);
    return length > 0 && !is_plain(value, length);
}

// Writes a value that needs it as one line, in a file of its own.
static bool write_value(int index) {
    const Assignment *assignment = &run_results().assignments[index];
    value_file_of[index] = 0;
    if (!needs_file(assignment->value))
        return true;
    size_t length = value_length(assignment->value);
    char path[PATH_SIZE];
    value_path(value_files + 1, path, sizeof path);
    char line[RESULT_SIZE + 1];
    memcpy(line, assignment->value, length);
    line[length++] = '\n';
    if (platform_write_new_file(path, line, length) != CREATED)
        return false;
    value_file_of[index] = ++value_files;
    return true;
}

// ---- The line of commands ----------------------------------------------------------

// Appends a directory for "cd" in a caller with delayed expansion on: there a
// command that holds "!" loses every "!" and "^" unless each has a caret.
static void append_directory(Text *line, const char *dir, bool delayed) {
    bool escape = delayed && strchr(dir, '!') != nullptr;
    for (const char *c = dir; *c; ++c) {
        char piece[3] = {*c, '\0', '\0'};
        if (escape && (*c == '!' || *c == '^')) {
            piece[0] = '^';
            piece[1] = *c;
        }
        append(line, piece);
    }
}

// The commands that take the values, change drive and directory and end with
// the exit code, each ending in " & " but the last.
static void compose_line(Text *line, const char *command_file_short, int exit_code) {
    const RunResults &results = run_results();
    char number[16];
    for (int i = 0; i < results.count; ++i) {
        const char *name = results.assignments[i].name;
        append(line, "set \"");
        append(line, name);
        append(line, "=");
        if (value_file_of[i] == 0) {
            // The value itself; an empty one removes the variable.
            const char *value = results.assignments[i].value;
            append_bytes(line, value, value_length(value));
            append(line, "\" & ");
            continue;
        }
        append(line, "\" & ");
        snprintf(number, sizeof number, "%d", value_file_of[i]);
        append(line, "set /p \"");
        append(line, name);
        append(line, "=\" <\"");
        append(line, value_folder);
        append_separator(line);
        append(line, number);
        append(line, "\" & ");
    }
    if (value_folder[0] != '\0') {
        append(line, "rd /s /q \"");
        append(line, value_folder);
        append(line, "\" & ");
    }
    if (command_file_short != nullptr) {
        append(line, "del \"");
        append(line, command_file_short);
        append(line, "\" 2>nul & ");
    }
    char drive_letter = results.change.wanted ? results.change.drive : '\0';
    const char *directory = results.change.wanted ? results.change.dir : nullptr;
    if (drive_letter != '\0') {
        const char drive[] = {drive_letter, ':', ' ', '&', ' ', '\0'};
        append(line, "cd /d ");
        append(line, drive);
    }
    // A directory name holds no double quote: such a change could only fail.
    if (directory != nullptr && directory[0] != '\0' && strchr(directory, '"') == nullptr) {
        char delayed[4];
        bool delayed_on =
            platform_get_env("_tvdelayed", delayed, sizeof delayed) && strcmp(delayed, "1") == 0;
        append(line, "cd \"");
        append_directory(line, directory, delayed_on);
        append(line, "\" & ");
    }
    snprintf(number, sizeof number, "%d", exit_code);
    append(line, "exit /b ");
    append(line, number);
}

// The short form of a command file whose full path is too long for cmd.exe to
// remove, else nullptr: its folder's short form and its own name, which is a
// valid short name.
static const char *long_file_short(const char *folder, const char *name, char *buffer,
                                   size_t size) {
    char full[PATH_SIZE];
    Text path{full, sizeof full, 0, false};
    char folder_full[PATH_SIZE];
    if (platform_full_path(folder, folder_full, sizeof folder_full) < 0)
        return nullptr;
    append(&path, folder_full);
    append_separator(&path);
    append(&path, name);
    if (path.cut || wtf8_utf16_length(full, strlen(full)) <= CMD_PATH_LIMIT)
        return nullptr;
    Text brief{buffer, size, 0, false};
    if (platform_short_path(folder_full, buffer, size) < 0)
        return nullptr;
    brief.length = strlen(buffer);
    append_separator(&brief);
    append(&brief, name);
    return brief.cut ? nullptr : buffer;
}

void handover_finish(int exit_code) {
    const RunResults &results = run_results();
    if (results.change.wanted)
        check_deliverable(results.change.dir);
    for (int i = 0; i < results.count; ++i) {
        check_deliverable(results.assignments[i].name);
        check_deliverable(results.assignments[i].value);
        if (strlen(results.assignments[i].name) >= LINE_SIZE)
            fail_line_length();
    }
    value_folder[0] = '\0';
    value_files = 0;
    char folder[PATH_SIZE];
    if (!platform_get_env("_tvtemp", folder, sizeof folder) || folder[0] == '\0')
        fail_folder("");
    bool values = false;
    for (int i = 0; i < results.count; ++i)
        values = values || needs_file(results.assignments[i].value);
    if (values && !choose_value_folder())
        fail_folder(folder);
    for (int i = 0; i < results.count; ++i) {
        if (!write_value(i))
            fail_folder(folder);
    }

    for (int attempt = 0; attempt < NAME_ATTEMPTS; ++attempt) {
        uint32_t id = FIRST_HANDOVER_ID + platform_random() % (ID_END - FIRST_HANDOVER_ID);
        char name[16];
        snprintf(name, sizeof name, "%lu.tvs", static_cast<unsigned long>(id));
        char path[PATH_SIZE];
        Text path_text{path, sizeof path, 0, false};
        append(&path_text, folder);
        const char separator[] = {PATH_SEPARATOR, '\0'};
        append(&path_text, separator); // as tvset.cmd joins them
        append(&path_text, name);
        if (path_text.cut)
            fail_folder(folder);

        char brief[PATH_SIZE];
        char line_data[LINE_SIZE];
        Text line{line_data, sizeof line_data, 0, false};
        compose_line(&line, long_file_short(folder, name, brief, sizeof brief), exit_code);
        append(&line, "\n");
        if (line.cut) {
            remove_values();
            fail_line_length();
        }
        PlatformCreated made = platform_write_new_file(path, line_data, line.length);
        if (made == CREATED)
            finish(static_cast<int>(id));
        if (made == CREATE_FAILED)
            break;
    }
    fail_folder(folder);
}
