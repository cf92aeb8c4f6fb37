// Case conversion of whole texts.
#include "support/letters.h"

#include "support/call.h"

void upper_text(char *text) {
    for (; *text; ++text)
        *text = upper_letter(*text);
}

void fold_case(char *text, unsigned flags) {
    if (flags & UPPER) {
        upper_text(text);
    } else if (flags & LOWER) {
        for (; *text; ++text)
            *text = lower_letter(*text);
    }
}
