// Case folding, number parsing, the result store and the exits.
#include <cstdio>
#include <cstring>

#include "platform/platform.h"
#include "runner/runner.h"

void write_out(const char *text) {
    platform_write(STREAM_OUT, text, strlen(text));
}

void write_err(const char *text) {
    platform_write(STREAM_ERR, text, strlen(text));
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
    write_out(message);
    write_out("\n");
    finish(EXIT_FATAL);
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

int32_t parse_number(const char *text) {
    bool negative = false;
    if (*text == '-') {
        negative = true;
        ++text;
    }
    // Unsigned arithmetic wraps modulo 2^32 without undefined behaviour.
    uint32_t value = 0;
    for (; *text; ++text) {
        if (*text < '0' || *text > '9')
            fail("Invalid number encountered");
        value = value * 10u + static_cast<uint32_t>(*text - '0');
    }
    if (negative)
        value = 0u - value;
    return static_cast<int32_t>(value);
}

void check_name_length(const char *name) {
    if (strlen(name) >= NAME_SIZE)
        failf("%s: Variable name longer than %d characters", PROGRAM_NAME,
              static_cast<int>(NAME_SIZE - 1));
}

void check_result_length(size_t length) {
    if (length >= RESULT_SIZE)
        failf("%s: Result longer than %d characters", PROGRAM_NAME,
              static_cast<int>(RESULT_SIZE - 1));
}

void set_text_result(char *result, const char *text, size_t length) {
    check_result_length(length);
    memmove(result, text, length);
    result[length] = '\0';
}

void store_result(char *name, char *value, unsigned flags) {
    if (name[0] == '.')
        return;
    check_name_length(name);
    fold_case(value, flags);
    to_upper(name);
    if (name[0] == '\0' || strcmp(name, "_NULL_") == 0)
        return;
    if (flags & (VERBOSE | TEST)) {
        write_out("set ");
        write_out(name);
        write_out("=");
        write_out(value);
        write_out("\n");
    }
    if (!(flags & TEST) && !platform_set_env(name, value)) {
        // Built in a buffer of its own: name and value always fit.
        char message[NAME_SIZE + RESULT_SIZE + 64];
        snprintf(message, sizeof message, "Cannot set environment variable %s=%s", name, value);
        fail(message);
    }
}
