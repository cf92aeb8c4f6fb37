// The line of batch commands that tvset.cmd runs in the calling script, made
// from what a run recorded. Its grammar is fixed; in this order:
//   set "NAME=text" & ...                       a value cmd does not act on
//   set "NAME=" & set /p "NAME=" <"F\n" & ...   any other value, from file n
//   cd /d "X:dir" & ...                         chdir's change, one command,
//                                               so that a change that fails
//                                               changes nothing
//   set "_tvdir=" & set /p "_tvdir=" <"F\n" & cd /d "!_tvdir!" & set "_tvdir=" & ...
//                                               the same for a directory that
//                                               delayed expansion would change
//   rd /s /q "F" & ...                          the folder of the value files
//   exit /b N
// F is the folder of the value files. Every text in the line passes
// batch_text_safe for the caller's delayed expansion; every other text
// reaches the script through a file, which "set /p" reads as it stands.
#pragma once

#include <cstddef>

#include "support/results.h"

// The longest line, in bytes of the batch code page with its line end, that
// "set /p" reads whole on every system.
inline constexpr size_t LINE_BYTES_MAX = 1000;
// The line as UTF-8: no character of a code page takes more than three
// times its bytes.
inline constexpr size_t LINE_BUFFER_SIZE = 3 * LINE_BYTES_MAX + 1;
// The longest value that the line carries itself.
inline constexpr size_t PLAIN_VALUE_MAX = 200;
// The value files: one for each assignment and one for the directory.
inline constexpr int VALUE_FILES_MAX = MAX_ASSIGNMENTS + 1;

struct LineRequest {
    const RunResults *results;
    bool assign;              // false under -t: nothing is assigned or changed
    bool delayed;             // the caller has delayed expansion on
    const char *value_folder; // the folder of the value files; nullptr while none is chosen
    int exit_code;
};

// A text for a value file, without a line end.
struct ValueFile {
    const char *text;
    size_t length;
};

struct TvsetLine {
    char text[LINE_BUFFER_SIZE]; // ends with "\n"
    size_t length;
    ValueFile files[VALUE_FILES_MAX]; // file n holds files[n - 1]
    int file_count;
};

enum class LineProblem {
    NONE,
    VALUE_LINE_END, // a value holds a line end (LF or CR), other than the end of ask's reply
    DIR_LINE_END,   // the directory holds a line end
    DIR_UNSAFE,     // cmd would act on the directory, and no file can carry it
    NAME_UNSAFE,    // cmd would act on a name
    FOLDER_NEEDED,  // values need files, and no folder is chosen
    FOLDER_UNSAFE,  // cmd would act on the folder's path
    TOO_LONG,       // the line is longer than LINE_BYTES_MAX
};

// True when the line does more than end with the exit code: it assigns a
// value or changes the directory.
bool tvset_line_acts(const LineRequest &request);

// Composes the line for the request, and the texts of the value files that
// it reads. Reads no environment and makes no file.
LineProblem compose_tvset_line(const LineRequest &request, TvsetLine *line);
