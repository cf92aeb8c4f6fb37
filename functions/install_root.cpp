// setqortop: the product's top directory from the registry value "qortop".
#include <cstdio>
#include <cstring>

#include "functions/functions.h"
#include "platform/platform.h"
#include "support/exits.h"

// The product's key for version 38.0, below HKEY_LOCAL_MACHINE.
static const char PRODUCT_KEY[] = "SOFTWARE\\Drelvink\\Corvanta\\38.0";
static const char LOOKUP_SUBKEY[] = "\\korvo";
static const char ROOT_VALUE[] = "qortop";

// Gives up: the empty text and 1.
static int not_found(char *buffer) {
    buffer[0] = '\0';
    return 1;
}

int read_install_root(char *buffer, size_t size) {
    buffer[0] = '\0';
    char key[sizeof PRODUCT_KEY + sizeof LOOKUP_SUBKEY];
    snprintf(key, sizeof key, "%s%s", PRODUCT_KEY, LOOKUP_SUBKEY);
    long count = platform_registry_query(key, ROOT_VALUE, buffer, size);
    if (count < 0 || static_cast<size_t>(count) > size)
        return not_found(buffer);
    // The data is taken as text whatever its type, and need not be zero-ended:
    // the text ends at its first zero byte, or right after the data when there
    // is room for one. Data that fills the buffer without one does not fit.
    size_t length = static_cast<size_t>(count);
    const void *zero = memchr(buffer, '\0', length);
    if (zero != nullptr)
        length = static_cast<size_t>(static_cast<const char *>(zero) - buffer);
    // cppcheck-suppress knownConditionTrueFalse ; data of exactly size bytes makes it true
    else if (length >= size)
        return not_found(buffer);
    buffer[length] = '\0';
    // Text that is not UTF-8 is the system's 8-bit text.
    if (!utf8_is_valid(buffer, length)) {
        char converted[RESULT_SIZE];
        length = platform_text_to_utf8(buffer, length, converted, sizeof converted - 1);
        if (length >= size)
            return not_found(buffer);
        memcpy(buffer, converted, length);
        buffer[length] = '\0';
    }
    if (utf8_count(buffer, length) > RESULT_CHARACTERS)
        return not_found(buffer);
    return 0;
}

Outcome handle_setqortop(const Call &call) {
    if (read_install_root(call.result, RESULT_SIZE) != 0)
        warn({"Unable to retrieve value of QORTOP from Registry"}, Prefix::NONE);
    return text_outcome(0);
}
