// The one parser of numeric arguments.
#pragma once

#include <cstdint>

// Strict signed decimal (an optional "-", then digits only) with 32-bit
// wrap-around; false for anything else.
bool try_parse_number(const char *text, int32_t *value);

// try_parse_number that ends the run on an invalid number.
int32_t parse_number(const char *text);

// Ends the run with the invalid-number message.
[[noreturn]] void fail_invalid_number();
