// filesize, filetime, update and isdir: the status of one or two paths, all
// answered as integers.
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "functions/functions.h"
#include "platform/platform.h"

inline constexpr int EXIT_NO_STATUS = 10;

// A size that fits the 32-bit integer result goes through it; a larger one (2 GiB
// and more) is stored as its exact decimal text, so no size ever comes out wrong.
Outcome handle_filesize(const Call &call) {
    FileStatus status;
    if (!platform_stat(call.args[0], &status))
        return integer_outcome(0, EXIT_NO_STATUS);
    if (status.size <= INT32_MAX)
        return integer_outcome(static_cast<int32_t>(status.size), 0);
    snprintf(call.result, RESULT_SIZE, "%" PRId64, status.size);
    return text_outcome(0);
}

// The 64-bit time keeps its low 32 bits, read as a signed value.
Outcome handle_filetime(const Call &call) {
    FileStatus status;
    if (!platform_stat(call.args[0], &status))
        return integer_outcome(0, EXIT_NO_STATUS);
    return integer_outcome(static_cast<int32_t>(static_cast<uint32_t>(status.modified)), 0);
}

// 1 when the source was modified later than the target; the target is not
// examined when the source cannot be.
Outcome handle_update(const Call &call) {
    FileStatus source, target;
    int answer;
    if (!platform_stat(call.args[0], &source))
        answer = 3;
    else if (!platform_stat(call.args[1], &target))
        answer = 2;
    else
        answer = source.modified > target.modified ? 1 : 0;
    return integer_outcome(answer, answer);
}

// One trailing backslash or slash goes, in place, unless it follows a colon (a
// drive root such as C:\ keeps it) or is the whole path: a lone backslash or
// slash is the root, which the system writes with its own separator.
Outcome handle_isdir(const Call &call) {
    char *path = call.args[0];
    size_t length = strlen(path);
    bool separator = length > 0 && (path[length - 1] == '\\' || path[length - 1] == '/');
    if (length == 1 && separator)
        path[0] = PATH_SEPARATOR;
    else if (separator && path[length - 2] != ':')
        path[length - 1] = '\0';
    FileStatus status;
    int answer = !platform_stat(path, &status) ? 2 : status.is_directory ? 0 : 1;
    return integer_outcome(answer, answer);
}
