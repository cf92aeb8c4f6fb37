// Bytes that a peek had to take from a source that cannot give them back (a
// pipe or terminal where the system has no peek, a console on Windows). Each
// side's platform_read hands them out first, so that the process still reads
// everything in order. Also the bounds of a peek, for both sides.
#pragma once

#include <cstddef>

#include "platform/platform.h"

// Brings the arguments of platform_peek within its bounds: size at most
// PEEK_MAX, and least at most size.
inline void bound_peek(size_t *size, size_t *least) {
    if (*size > PEEK_MAX)
        *size = PEEK_MAX;
    if (*least > *size)
        *least = *size;
}

// Copies bytes held for the handle into buffer; their count, 0 when none are
// left and the source has ended, or -1 when none are held.
long read_held(int handle, char *buffer, size_t size);

// platform_peek by reading with read_raw. A source that give_back(handle, 0)
// accepts (a file) shows up to size bytes, which give_back(handle, count) then
// returns; any other is read no further than least bytes, which are held, and
// once it has ended it is not read again.
long peek_by_reading(int handle, char *buffer, size_t size, size_t least,
                     long (*read_raw)(int handle, char *buffer, size_t size),
                     bool (*give_back)(int handle, size_t count));

// Drops what is held for a handle that is being closed.
void forget_held(int handle);
