// Splits a command line the way the Windows program reads its arguments.
#include "platform/command_line.h"

#include <cstddef>

static bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

// Ends the argument being written at *out. Each character written took at
// least one of the input, so once in has passed the separator, the zero byte
// cannot overwrite input still to be read.
static char *end_argument(char *in, char **out) {
    if (*in != '\0')
        ++in;
    *(*out)++ = '\0';
    return in;
}

// The first argument, the program's path: no escapes, quotes only group.
static char *take_program(char *in, char **argument, char **out) {
    *argument = *out;
    bool quoted = false;
    for (; *in != '\0' && (quoted || !is_blank(*in)); ++in) {
        if (*in == '"')
            quoted = !quoted;
        else
            *(*out)++ = *in;
    }
    return end_argument(in, out);
}

int split_command_line(char *line, char **argv, int capacity) {
    char *in = line;
    char *out = line; // the output never runs ahead of the input
    int count = 0;
    while (is_blank(*in))
        ++in;
    if (*in == '\0')
        return 0;
    char *program = nullptr;
    in = take_program(in, &program, &out);
    if (count < capacity)
        argv[count] = program;
    ++count;

    for (;;) {
        while (is_blank(*in))
            ++in;
        if (*in == '\0')
            break;
        char *argument = out;
        bool quoted = false;
        while (*in != '\0' && (quoted || !is_blank(*in))) {
            size_t backslashes = 0;
            while (in[backslashes] == '\\')
                ++backslashes;
            if (in[backslashes] != '"') {
                // Backslashes not before a quote, or any other character, as they are.
                size_t copy = backslashes > 0 ? backslashes : 1;
                for (size_t i = 0; i < copy; ++i)
                    *out++ = *in++;
                continue;
            }
            in += backslashes;
            for (size_t i = 0; i < backslashes / 2; ++i)
                *out++ = '\\';
            if (backslashes % 2 == 1) {
                // A quoted directory's trailing backslash before the closing quote.
                if (quoted && (in[1] == '\0' || is_blank(in[1]))) {
                    *out++ = '\\';
                    quoted = false;
                } else {
                    *out++ = '"';
                }
                ++in;
            } else if (quoted && in[1] == '"') {
                *out++ = '"'; // "" inside a quoted stretch
                in += 2;
            } else {
                quoted = !quoted;
                ++in;
            }
        }
        in = end_argument(in, &out);
        if (count < capacity)
            argv[count] = argument;
        ++count;
    }
    return count;
}
