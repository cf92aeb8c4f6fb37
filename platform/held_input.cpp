// The bytes a peek could not give back, for both platform sides.
#include "platform/held_input.h"

#include <cstring>

#include "platform/platform.h"

static int held_handle = -1;
static char held[PEEK_MAX];
static size_t held_start, held_end;
// The source ended after the held bytes. A terminal gives its end (Ctrl-D on
// an empty line) to one read and then waits for more typing: its end is kept
// here, so that every later peek and read of the process sees it too.
static bool held_ended;

long read_held(int handle, char *buffer, size_t size) {
    if (handle != held_handle || size == 0)
        return -1;
    size_t count = held_end - held_start < size ? held_end - held_start : size;
    memcpy(buffer, held + held_start, count);
    held_start += count;
    if (held_start == held_end && !held_ended)
        held_handle = -1;
    return static_cast<long>(count);
}

// Reads until total bytes of buffer are filled, or the input ends or fails;
// the count, and in *last the last read's answer (0 at the end, -1 on an error).
static size_t read_until(int handle, char *buffer, size_t have, size_t total,
                         long (*read_raw)(int, char *, size_t), long *last) {
    *last = 1;
    while (have < total && (*last = read_raw(handle, buffer + have, total - have)) > 0)
        have += static_cast<size_t>(*last);
    return have;
}

long peek_by_reading(int handle, char *buffer, size_t size, size_t least,
                     long (*read_raw)(int handle, char *buffer, size_t size),
                     bool (*give_back)(int handle, size_t count)) {
    bound_peek(&size, &least);
    long last = 1;
    if (handle != held_handle && give_back(handle, 0)) {
        size_t got = read_until(handle, buffer, 0, size, read_raw, &last);
        if (got == 0 || give_back(handle, got))
            return got == 0 && last < 0 ? -1 : static_cast<long>(got);
        memcpy(held, buffer, got); // no way back after all
        held_handle = handle;
        held_start = 0;
        held_end = got;
        held_ended = false;
        return static_cast<long>(got);
    }
    // Held bytes come first; the source is read no further than asked, and
    // not at all once it has ended.
    if (handle != held_handle) {
        held_start = held_end = 0;
        held_ended = false;
    }
    memmove(held, held + held_start, held_end - held_start);
    held_end -= held_start;
    held_start = 0;
    if (!held_ended) {
        held_end = read_until(handle, held, held_end, least, read_raw, &last);
        held_ended = last == 0;
    }
    held_handle = held_end > 0 || held_ended ? handle : -1;
    size_t shown = held_end < size ? held_end : size;
    memcpy(buffer, held, shown);
    return shown == 0 && last < 0 ? -1 : static_cast<long>(shown);
}

void forget_held(int handle) {
    if (handle == held_handle)
        held_handle = -1;
}
