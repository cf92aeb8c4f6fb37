// Case folding, number parsing, the result store and the exits.
#include "support/support.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "support/handover.h"

void write_out(const char *text) {
    platform_write(STREAM_OUT, text, strlen(text));
}

void write_err(const char *text) {
    platform_write(STREAM_ERR, text, strlen(text));
}

void write_message(const char *text) {
    if (handover_active())
        write_err(text);
    else
        write_out(text);
}

void finish(int exit_code) {
    // The "set" line is how a script receives the value: losing it is a failure.
    if (!platform_flush_out()) {
        write_err(PROGRAM_NAME);
        write_err(": Cannot write to standard output\n");
        platform_exit(EXIT_FATAL);
    }
    platform_exit(exit_code);
}

void fail(const char *message) {
    write_message(message);
    write_message("\n");
    finish(EXIT_FATAL);
}

// A C variadic function so that the compiler can check each call's arguments
// against its format, which a template cannot offer.
// NOLINTNEXTLINE(cert-dcl50-cpp)
void failf(const char *format, ...) {
    char message[MESSAGE_SIZE];
    va_list args;
    va_start(args, format);
    // va_start has just initialised args; the analyzer does not see it through
    // the standard library's macro.
    // NOLINTNEXTLINE(clang-analyzer-valist.Uninitialized)
    int length = vsnprintf(message, sizeof message, format, args);
    va_end(args);
    // A message cut short must not end in half a character.
    if (length >= static_cast<int>(sizeof message))
        message[utf8_whole(message, sizeof message - 1)] = '\0';
    fail(message);
}

static void to_upper(char *text) {
    for (; *text; ++text)
        *text = upper_letter(*text);
}

void fold_case(char *text, unsigned flags) {
    if (flags & UPPER) {
        to_upper(text);
    } else if (flags & LOWER) {
        for (; *text; ++text)
            *text = lower_letter(*text);
    }
}

bool try_parse_number(const char *text, int32_t *value) {
    bool negative = false;
    if (*text == '-') {
        negative = true;
        ++text;
    }
    // Unsigned arithmetic wraps modulo 2^32 without undefined behaviour.
    uint32_t magnitude = 0;
    for (; *text; ++text) {
        if (*text < '0' || *text > '9')
            return false;
        magnitude = magnitude * 10u + static_cast<uint32_t>(*text - '0');
    }
    *value = static_cast<int32_t>(negative ? 0u - magnitude : magnitude);
    return true;
}

void fail_invalid_number() {
    fail("Invalid number encountered");
}

int32_t parse_number(const char *text) {
    int32_t value = 0;
    if (!try_parse_number(text, &value))
        fail_invalid_number();
    return value;
}

void check_name_length(const char *name) {
    if (utf8_count(name, strlen(name)) > NAME_CHARACTERS)
        failf("%s: Variable name longer than %d characters", PROGRAM_NAME,
              static_cast<int>(NAME_CHARACTERS));
}

void check_result_length(size_t characters) {
    if (characters > RESULT_CHARACTERS)
        failf("%s: Result longer than %d characters", PROGRAM_NAME,
              static_cast<int>(RESULT_CHARACTERS));
}

void check_printable(const char *text) {
    // Handed over, the text is written into a file that cmd.exe reads back.
    bool handed = handover_active();
    size_t length = strlen(text);
    if (handed ? platform_batch_can_hold(text, length) : platform_can_write_out(text, length))
        return;
    // A surrogate that stands alone (a Windows name may hold one) is in no code
    // page, UTF-8 included: chcp cannot help.
    uint32_t surrogate = wtf8_surrogate(text, length);
    if (surrogate != 0)
        failf("%s: No code page can show the unpaired surrogate U+%04X of the output", PROGRAM_NAME,
              static_cast<unsigned>(surrogate));
    failf("%s: Code page %u cannot show a character of the output; run chcp 65001 first",
          PROGRAM_NAME, handed ? platform_batch_code_page() : platform_out_code_page());
}

bool name_stores(const char *name) {
    if (name[0] == '.' || name[0] == '\0')
        return false;
    const char null_name[] = "_NULL_";
    for (size_t i = 0; i < sizeof null_name; ++i) {
        if (upper_letter(name[i]) != null_name[i])
            return true;
    }
    return false;
}

void check_name_settable(const char *name) {
    if (!name_stores(name))
        return;
    if (strchr(name, '=') != nullptr || (handover_active() && !handover_can_take_name(name))) {
        // The name as it would be stored, upper-cased, written in pieces: it
        // may be longer than any message buffer.
        write_message("Cannot set environment variable ");
        char piece[64];
        for (size_t at = 0, length = strlen(name); at < length;) {
            size_t count = length - at < sizeof piece - 1 ? length - at : sizeof piece - 1;
            memcpy(piece, name + at, count);
            piece[count] = '\0';
            to_upper(piece);
            write_message(piece);
            at += count;
        }
        write_message("\n");
        finish(EXIT_FATAL);
    }
}

// At most RESULT_CHARACTERS characters take at most RESULT_SIZE - 1 bytes.
void set_text_result(char *result, const char *text, size_t length) {
    check_result_length(utf8_count(text, length));
    memmove(result, text, length);
    result[length] = '\0';
}

void store_result(char *name, char *value, unsigned flags) {
    if (name[0] == '.')
        return;
    fold_case(value, flags);
    to_upper(name);
    if (!name_stores(name))
        return;
    if (handover_active()) {
        check_printable(name);
        check_printable(value);
        handover_assign(name, value);
        return;
    }
    if (flags & (VERBOSE | TEST)) {
        check_printable(name);
        check_printable(value);
        write_out("set ");
        write_out(name);
        write_out("=");
        write_out(value);
        write_out("\n");
    }
    if (!(flags & TEST) && !platform_set_env(name, value)) {
        // In pieces: the name may be longer than any message buffer.
        write_out("Cannot set environment variable ");
        write_out(name);
        write_out("=");
        write_out(value);
        write_out("\n");
        finish(EXIT_FATAL);
    }
}
