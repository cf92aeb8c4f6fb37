// The bytes a peek could not give back, for both platform sides.
#include "platform/held_input.h"

#include <cstring>

#include "platform/platform.h"

static int held_handle = -1;
static char held[PEEK_MAX];
static size_t held_start, held_end;

long read_held(int handle, char *buffer, size_t size) {
    if (handle != held_handle || size == 0)
        return -1;
    size_t count = held_end - held_start < size ? held_end - held_start : size;
    memcpy(buffer, held + held_start, count);
    held_start += count;
    if (held_start == held_end)
        held_handle = -1;
    return static_cast<long>(count);
}

long peek_by_reading(int handle, char *buffer, size_t size,
                     bool (*give_back)(int handle, size_t count)) {
    if (size > PEEK_MAX)
        size = PEEK_MAX;
    size_t total = 0;
    long count = 0;
    while (total < size && (count = platform_read(handle, buffer + total, size - total)) > 0)
        total += static_cast<size_t>(count);
    if (total == 0)
        return count < 0 ? -1 : 0;
    if (!give_back(handle, total)) {
        held_handle = handle;
        memcpy(held, buffer, total);
        held_start = 0;
        held_end = total;
    }
    return static_cast<long>(total);
}

void forget_held(int handle) {
    if (handle == held_handle)
        held_handle = -1;
}
