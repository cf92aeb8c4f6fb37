// One read of standard input in text mode (support/text_mode.h), taking no
// byte after it, so that the next command reading the same input gets the rest.
#pragma once

#include <cstddef>

// Takes one read from standard input and writes it as UTF-8 into out (size
// bytes), with the line end as "\n"; out is not zero-ended. A console gives a
// line as typed. Other input is looked at first (platform_peek) as far as the
// line's end, or as far as a look can see, and then exactly the read's bytes
// are taken; input that cannot be looked at gives its whole line, read a byte
// at a time. Its byte order mark is found at the start of a file even when an
// earlier reader has taken it. Returns the number of bytes written.
size_t text_input_read(char *out, size_t size);
