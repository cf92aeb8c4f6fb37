// Messages, fatal errors and the end of every run.
#include "support/exits.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "platform/platform.h"
#include "platform/unicode.h"

static PlatformStream message_stream = STREAM_OUT;

void send_messages_to_error() {
    message_stream = STREAM_ERR;
}

static void write_text(PlatformStream stream, const char *text) {
    platform_write(stream, text, strlen(text));
}

void write_out(const char *text) {
    write_text(STREAM_OUT, text);
}

void write_message(const char *text) {
    write_text(message_stream, text);
}

static void write_line(PlatformStream stream, Pieces pieces, Prefix prefix) {
    if (prefix == Prefix::NAME) {
        write_text(stream, PROGRAM_NAME);
        write_text(stream, ": ");
    }
    for (const char *piece : pieces)
        write_text(stream, piece);
    write_text(stream, "\n");
}

void warn(Pieces pieces, Prefix prefix) {
    write_line(STREAM_ERR, pieces, prefix);
}

void fatal(Pieces pieces, Prefix prefix) {
    write_line(message_stream, pieces, prefix);
    finish(EXIT_FATAL);
}

void fail_code_page(const char *text, unsigned code_page) {
    // A surrogate that stands alone (a Windows name may hold one) is in no
    // code page, UTF-8 included: chcp cannot help.
    uint32_t surrogate = wtf8_surrogate(text, strlen(text));
    if (surrogate != 0)
        fatal({"No code page can show the unpaired surrogate U+", code_point_hex(surrogate).text,
               " of the output"});
    fatal({"Code page ", decimal(code_page).text,
           " cannot show a character of the output; run chcp 65001 first"});
}

void flush_or_fail() {
    // The "set" line is how a script receives the value: losing it is a failure.
    if (!platform_flush_out()) {
        write_line(STREAM_ERR, {"Cannot write to standard output"}, Prefix::NAME);
        platform_exit(EXIT_FATAL);
    }
}

void finish(int exit_code) {
    flush_or_fail();
    platform_exit(exit_code);
}

NumberText decimal(int64_t value) {
    NumberText number;
    snprintf(number.text, sizeof number.text, "%" PRId64, value);
    return number;
}

NumberText code_point_hex(uint32_t value) {
    NumberText number;
    snprintf(number.text, sizeof number.text, "%04" PRIX32, value);
    return number;
}
