// Bytes that a peek had to take from a source that cannot give them back (a
// pipe or terminal on POSIX, a console on Windows). Each side's platform_read
// hands them out first, so that the process still reads everything in order.
#pragma once

#include <cstddef>

// Copies bytes held for the handle into buffer; their count, or -1 when none
// are held.
long read_held(int handle, char *buffer, size_t size);

// platform_peek by reading: takes up to size (at most PEEK_MAX) bytes with
// platform_read, then gives them back with give_back(handle, count), or holds
// them when that fails.
long peek_by_reading(int handle, char *buffer, size_t size,
                     bool (*give_back)(int handle, size_t count));

// Drops what is held for a handle that is being closed.
void forget_held(int handle);
