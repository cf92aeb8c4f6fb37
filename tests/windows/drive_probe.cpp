// Runs the chdir and drvrdy handlers inside one process and reports the
// current drive and directory after each, which a batch file cannot see: the
// program that ran them has ended by the time the script looks.
//
//   chdir ARG    the chdir handler, as without -t; prints the stored text
//   chdir-t ARG  the same as with -t, then its batch lines as the run prints them
//   drvrdy ARG   the drvrdy handler; prints its result
//   where        the current drive number and its working directory
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "functions/functions.h"
#include "platform/platform.h"
#include "runner/function_table.h"
#include "support/print_results.h"
#include "support/results.h"

static void say(const char *first, const char *second) {
    platform_write(STREAM_OUT, first, strlen(first));
    platform_write(STREAM_OUT, second, strlen(second));
    platform_write(STREAM_OUT, "\n", 1);
}

static Outcome run(Handler &handler, char *arg, unsigned flags, char *result) {
    memset(result, 0, RESULT_SIZE);
    char *args[] = {arg};
    Call call{"probe", args, 1, flags, result};
    return handler(call);
}

int main(int argc, char **argv) {
    platform_init();
    char result[RESULT_SIZE];
    char line[RESULT_SIZE + 64];
    for (int i = 1; i < argc; ++i) {
        const char *op = argv[i];
        bool has_arg = i + 1 < argc;
        if (strcmp(op, "where") == 0) {
            char dir[1024];
            int length = platform_get_drive_dir(0, dir, sizeof dir);
            snprintf(line, sizeof line, "where: drive %d, ", platform_get_drive());
            say(line, length >= 0 && static_cast<size_t>(length) < sizeof dir ? dir : "?");
        } else if ((strcmp(op, "chdir") == 0 || strcmp(op, "chdir-t") == 0) && has_arg) {
            unsigned flags = op[5] == '-' ? TEST : 0u;
            results_start(Delivery::PRINTED);
            run(handle_chdir, argv[++i], flags, result);
            print_lines(flags);
            snprintf(line, sizeof line, "%s %s: stored ", op, argv[i]);
            say(line, result);
        } else if (strcmp(op, "drvrdy") == 0 && has_arg) {
            Outcome outcome = run(handle_drvrdy, argv[++i], 0, result);
            snprintf(line, sizeof line, "drvrdy %s: %d", argv[i], static_cast<int>(outcome.value));
            say(line, "");
        } else {
            say("unknown operation or missing argument: ", op);
            platform_flush_out();
            return 2;
        }
    }
    return platform_flush_out() ? 0 : 3;
}
