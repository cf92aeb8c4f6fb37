// Numeric arguments.
#include "support/numbers.h"

#include "support/exits.h"

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
    fatal({"Invalid number encountered"}, Prefix::NONE);
}

int32_t parse_number(const char *text) {
    int32_t value = 0;
    if (!try_parse_number(text, &value))
        fail_invalid_number();
    return value;
}
