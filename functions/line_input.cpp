// read: one numbered read of a text file. ask: a question on the console and
// the first character of the reply as an answer number.
#include <cstring>

#include "functions/functions.h"
#include "platform/platform.h"
#include "support/exits.h"
#include "support/letters.h"
#include "support/numbers.h"
#include "support/results.h"
#include "support/text_input.h"
#include "support/text_reader.h"

// A file that cannot be opened, or whose reading fails before the read asked
// for is known.
static Outcome cannot_read(const Call &call) {
    if (!(call.flags & QUIET))
        warn({"can't read from ", call.args[0]});
    return text_outcome(2);
}

Outcome handle_read(const Call &call) {
    int handle = platform_open_read(call.args[0]);
    if (handle < 0)
        return cannot_read(call);
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
    TextPiece piece;
    bool found = text_find_read(&reader, static_cast<uint64_t>(line), &piece);
    // Room for 8-bit text that turns into more characters than it was
    // counted as: set_text_result then refuses it.
    char text[2 * READ_BYTES_MAX];
    size_t length = found ? text_to_utf8(piece, text, sizeof text) : 0;
    platform_close(handle);
    if (!found)
        return reader.failed ? cannot_read(call) : text_outcome(1);
    set_text_result(call.result, text, length);
    return text_outcome(0);
}

// "[...]": begins with "[" and its last "]" is its last character.
static bool is_options_text(const char *text) {
    size_t length = strlen(text);
    return length >= 2 && text[0] == '[' && text[length - 1] == ']';
}

// The position, in characters, of the reply's first character among the
// options: in lower case first, then in upper case, by the system's case
// mapping of every letter; 0 when it is not there. An empty reply finds the
// end of the options.
static int answer_number(const char *options, const char *reply) {
    size_t options_length = strlen(options);
    size_t reply_length = strlen(reply);
    if (reply_length == 0)
        return static_cast<int>(utf8_count(options, options_length));
    uint32_t first = 0;
    size_t step = utf8_decode(reply, reply_length, &first);
    // The two forms as text; a byte that is no character is both.
    char forms[2][UTF8_MAX];
    size_t form_lengths[2] = {step, step};
    memcpy(forms[0], reply, step);
    memcpy(forms[1], reply, step);
    if (first != NOT_A_CHARACTER) {
        form_lengths[0] = utf8_encode(platform_lower_case(first), forms[0]);
        form_lengths[1] = utf8_encode(platform_upper_case(first), forms[1]);
    }
    for (size_t form = 0; form < 2; ++form) {
        size_t position = 0;
        for (size_t i = 0; i < options_length; ++position) {
            size_t option_step = utf8_step(options + i, options_length - i);
            if (option_step == form_lengths[form] &&
                memcmp(options + i, forms[form], option_step) == 0)
                return static_cast<int>(position);
            i += option_step;
        }
    }
    return 0;
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

    // The rest of standard input belongs to whatever runs next.
    char *reply = call.result;
    size_t length = text_input_read(reply, RESULT_SIZE - 1);
    reply[length] = '\0';
    // 8-bit text may turn into more characters than the read counted.
    check_result_length(utf8_count(reply, length));
    size_t blanks = 0;
    while (is_c_space(reply[blanks]))
        ++blanks;
    memmove(reply, reply + blanks, length - blanks + 1);
    return reply_outcome(answer_number(options, reply));
}
