// read: one numbered read of a text file. ask: a question on the console and
// the first character of the reply as an answer number.
#include <cstring>

#include "functions/functions.h"
#include "functions/text_reader.h"
#include "platform/platform.h"

Outcome handle_read(const Call &call) {
    const char *path = call.args[0];
    int handle = platform_open_read(path);
    if (handle < 0) {
        if (!(call.flags & QUIET)) {
            // In pieces: a file name may be longer than any message buffer.
            write_err(PROGRAM_NAME);
            write_err(": can't read from ");
            write_err(path);
            write_err("\n");
        }
        return text_outcome(2);
    }
    // The line number is examined only once the file is open; an invalid one
    // ends the run, and files are closed before the run ends.
    int32_t line = 0;
    if (!try_parse_number(call.args[1], &line)) {
        platform_close(handle);
        fail_invalid_number();
    }
    if (line <= 0) {
        platform_close(handle);
        return text_outcome(line == 0 ? 0 : 1);
    }

    TextReader reader;
    text_reader_start(&reader, handle);
    uint32_t before = static_cast<uint32_t>(line) - 1;
    TextPiece piece;
    bool found = text_skip_reads(&reader, before) == before && text_read_piece(&reader, &piece);
    platform_close(handle);
    if (!found)
        return text_outcome(1);
    // The piece lies in the reader's static buffer, still valid after closing.
    set_text_result(call.result, piece.text, piece.text_length);
    return text_outcome(0);
}

// "[...]": begins with "[" and its last "]" is its last character.
static bool is_options_text(const char *text) {
    size_t length = strlen(text);
    return length >= 2 && text[0] == '[' && text[length - 1] == ']';
}

Outcome handle_ask(const Call &call) {
    const char *options = "[yn]";
    const char *question = nullptr;
    for (int i = 0; i < call.count; ++i) {
        const char *arg = call.args[i];
        if (*arg == '\0')
            continue;
        if (is_options_text(arg))
            options = arg;
        else
            question = arg;
    }
    if (question != nullptr && !(call.flags & TEST)) {
        write_out(question);
        // The question must be on the screen before the reply is typed; a
        // failed write is reported when the run ends.
        (void)platform_flush_out();
    }

    // Byte by byte: the rest of standard input belongs to whatever runs next.
    char *reply = call.result;
    size_t length = text_read_line_unbuffered(PLATFORM_STDIN, reply, RESULT_SIZE - 1);
    reply[length] = '\0';
    size_t blanks = 0;
    while (is_c_space(reply[blanks]))
        ++blanks;
    memmove(reply, reply + blanks, length - blanks + 1);

    // An empty reply searches for the zero byte and finds the end of the options.
    const char *found = strchr(options, lower_letter(reply[0]));
    if (found == nullptr)
        found = strchr(options, upper_letter(reply[0]));
    return text_outcome(found != nullptr ? static_cast<int>(found - options) : 0);
}
