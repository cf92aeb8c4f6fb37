// One read of standard input, in text mode (support/text_mode.h).
#pragma once

#include <cstddef>

// Takes one read from standard input without taking a byte after it, and
// writes it as UTF-8 into out (size bytes), with the line end as "\n"; out is
// not zero-ended. A console gives a line as typed; other input follows the
// rules of text mode, its byte order mark found at the start of the file even
// when an earlier reader has taken it. Returns the number of bytes written.
size_t text_read_line_unbuffered(char *out, size_t size);
