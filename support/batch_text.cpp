// The characters that cmd.exe acts on.
#include "support/batch_text.h"

#include <cstring>

bool cmd_acts_on(char c, bool delayed) {
    if (c == '"' || c == '%' || static_cast<unsigned char>(c) < 0x20)
        return true;
    return delayed && (c == '!' || c == '^');
}

bool batch_text_safe(const char *text, size_t length, bool delayed) {
    for (size_t i = 0; i < length; ++i) {
        if (cmd_acts_on(text[i], delayed))
            return false;
    }
    return true;
}

bool batch_text_safe(const char *text, bool delayed) {
    return batch_text_safe(text, strlen(text), delayed);
}
