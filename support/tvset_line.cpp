// Composing tvset.cmd's line of commands.
#include "support/tvset_line.h"

#include <cstdio>
#include <cstring>

#include "platform/platform.h"
#include "support/batch_text.h"
#include "support/bounded_text.h"
#include "support/exits.h"

// The value as the script receives it: ask's reply without its line end.
static size_t handed_length(const Assignment &assignment) {
    size_t length = strlen(assignment.value);
    return assignment.reply && length > 0 && assignment.value[length - 1] == '\n' ? length - 1
                                                                                  : length;
}

static bool is_plain_value(const char *value, size_t length, bool delayed) {
    return length <= PLAIN_VALUE_MAX && batch_text_safe(value, length, delayed);
}

// True when the text holds a line feed or a carriage return: a line read
// with "set /p" ends there, and cmd drops a carriage return.
static bool holds_line_end(const char *text, size_t length) {
    return memchr(text, '\n', length) != nullptr || memchr(text, '\r', length) != nullptr;
}

// Adds a value file and returns its number.
static int add_file(TvsetLine *line, const char *text, size_t length) {
    line->files[line->file_count] = ValueFile{text, length};
    return ++line->file_count;
}

static void append_file_path(BoundedText *text, const char *folder, int number) {
    append(text, folder);
    append_char(text, PATH_SEPARATOR);
    append(text, decimal(number).text);
}

static void append_assignment(BoundedText *text, const LineRequest &request, const char *name,
                              const char *value, size_t length, int file) {
    append(text, "set \"");
    append(text, name);
    append(text, "=");
    if (file == 0) {
        append_bytes(text, value, length); // an empty value removes the variable
        append(text, "\" & ");
        return;
    }
    append(text, "\" & set /p \"");
    append(text, name);
    append(text, "=\" <\"");
    append_file_path(text, request.value_folder, file);
    append(text, "\" & ");
}

// Decides how chdir's target reaches the line: in it, or from a file when
// cmd would act on it. Only delayed expansion takes the file's text into a
// command unchanged; without it, the change cannot be handed over.
static LineProblem plan_change(const LineRequest &request, TvsetLine *line, int *file) {
    const char *target = request.results->change.target;
    size_t length = strlen(target);
    if (holds_line_end(target, length))
        return LineProblem::DIR_LINE_END;
    if (batch_text_safe(target, length, request.delayed))
        return LineProblem::NONE;
    if (!request.delayed)
        return LineProblem::DIR_UNSAFE;
    *file = add_file(line, target, length);
    return LineProblem::NONE;
}

static void append_change(BoundedText *text, const LineRequest &request, int file) {
    if (file == 0) {
        append(text, "cd /d \"");
        append(text, request.results->change.target);
        append(text, "\" & ");
        return;
    }
    append(text, "set \"_tvdir=\" & set /p \"_tvdir=\" <\"");
    append_file_path(text, request.value_folder, file);
    append(text, "\" & cd /d \"!_tvdir!\" & set \"_tvdir=\" & ");
}

// A change to nothing ("chdir ''") is none.
static bool changes_dir(const LineRequest &request) {
    const DirectoryChange &change = request.results->change;
    return request.assign && change.wanted && change.target[0] != '\0';
}

bool tvset_line_acts(const LineRequest &request) {
    return (request.assign && request.results->count > 0) || changes_dir(request);
}

LineProblem compose_tvset_line(const LineRequest &request, TvsetLine *line) {
    const RunResults &results = *request.results;
    int count = request.assign ? results.count : 0;
    bool change = changes_dir(request);
    line->file_count = 0;
    line->length = 0;

    // What each text needs: the line itself, or a file.
    int files[MAX_ASSIGNMENTS] = {};
    for (int i = 0; i < count; ++i) {
        const Assignment &assignment = results.assignments[i];
        size_t length = handed_length(assignment);
        if (holds_line_end(assignment.value, length))
            return LineProblem::VALUE_LINE_END;
        if (!batch_text_safe(assignment.name, request.delayed))
            return LineProblem::NAME_UNSAFE;
        if (!is_plain_value(assignment.value, length, request.delayed))
            files[i] = add_file(line, assignment.value, length);
    }
    int dir_file = 0;
    LineProblem problem = change ? plan_change(request, line, &dir_file) : LineProblem::NONE;
    if (problem != LineProblem::NONE)
        return problem;
    const char *folder = request.value_folder;
    if (line->file_count > 0 && folder == nullptr)
        return LineProblem::FOLDER_NEEDED;
    if (line->file_count > 0 && !batch_text_safe(folder, request.delayed))
        return LineProblem::FOLDER_UNSAFE;

    BoundedText text = bounded_text(line->text, sizeof line->text);
    for (int i = 0; i < count; ++i) {
        const Assignment &assignment = results.assignments[i];
        append_assignment(&text, request, assignment.name, assignment.value,
                          handed_length(assignment), files[i]);
    }
    if (change)
        append_change(&text, request, dir_file);
    if (line->file_count > 0) {
        append(&text, "rd /s /q \"");
        append(&text, folder);
        append(&text, "\" & ");
    }
    append(&text, "exit /b ");
    append(&text, decimal(request.exit_code).text);
    append(&text, "\n");
    if (text.cut || platform_batch_length(text.data, text.length) > LINE_BYTES_MAX)
        return LineProblem::TOO_LONG;
    line->length = text.length;
    return LineProblem::NONE;
}
