// filedrive, filedir, fileddir, filename and fileext cut a filespec
// into drive, directory, name and extension by its characters alone (colon and
// backslash separate, the forward slash does not); endslash tells whether a
// directory ends with a backslash.
#include <cstring>

#include "functions/functions.h"
#include "support/results.h"

// What one left-to-right scan of a filespec finds.
struct NameMarks {
    size_t name_start; // just after the last colon or backslash; 0 when none
    size_t dir_start;  // just after the last colon; 0 when none
    bool has_dot;      // an extension dot stands after the name start
    size_t dot;        // its position
    size_t end;        // the length of the filespec
};

static NameMarks scan_name(const char *filespec) {
    NameMarks marks{0, 0, false, 0, 0};
    size_t i = 0;
    for (; filespec[i]; ++i) {
        switch (filespec[i]) {
        case ':':
            marks.dir_start = i + 1;
            marks.name_start = i + 1;
            marks.has_dot = false;
            break;
        case '\\':
            marks.name_start = i + 1;
            marks.has_dot = false;
            break;
        case '.':
            marks.has_dot = true;
            marks.dot = i;
            break;
        default: break;
        }
    }
    marks.end = i;
    // A dot that begins the name (".profile", "x\.y") opens no extension.
    if (marks.has_dot && marks.dot == marks.name_start)
        marks.has_dot = false;
    return marks;
}

// Copies the characters from begin up to (not including) stop.
static void copy_stretch(char *result, const char *filespec, size_t begin, size_t stop) {
    if (stop > begin)
        set_text_result(result, filespec + begin, stop - begin);
}

Outcome handle_filedrive(const Call &call) {
    NameMarks m = scan_name(call.args[0]);
    copy_stretch(call.result, call.args[0], 0, m.dir_start);
    return text_outcome(0);
}

Outcome handle_filedir(const Call &call) {
    NameMarks m = scan_name(call.args[0]);
    copy_stretch(call.result, call.args[0], m.dir_start, m.name_start);
    return text_outcome(0);
}

Outcome handle_fileddir(const Call &call) {
    NameMarks m = scan_name(call.args[0]);
    copy_stretch(call.result, call.args[0], 0, m.name_start);
    return text_outcome(0);
}

Outcome handle_filename(const Call &call) {
    NameMarks m = scan_name(call.args[0]);
    copy_stretch(call.result, call.args[0], m.name_start, m.has_dot ? m.dot : m.end);
    return text_outcome(0);
}

Outcome handle_fileext(const Call &call) {
    NameMarks m = scan_name(call.args[0]);
    if (m.has_dot)
        copy_stretch(call.result, call.args[0], m.dot + 1, m.end);
    return text_outcome(0);
}

Outcome handle_endslash(const Call &call) {
    const char *last = call.args[call.count - 1];
    size_t length = strlen(last);
    if (length > 0 && last[length - 1] == '"')
        --length; // one closing quote is ignored
    int32_t ends = length > 0 && last[length - 1] == '\\' ? 1 : 0;
    return integer_outcome(ends, ends);
}
