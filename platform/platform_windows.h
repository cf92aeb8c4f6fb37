// The pieces of the Windows side that take their code page or path explicitly, so
// that the test probe can call them directly: a program that Wine's cmd starts
// with redirected streams has no console, and its own code page never changes,
// so only this way do code pages such as 65001, 932 or 54936 get tested.
#pragma once

#include <cstddef>
#include <cstdio>

// True when every character of the UTF-8 text comes back unchanged from the
// code page: UTF-16, then the code page, then UTF-16 again must give the same
// units. This catches a character replaced by the default character and one
// mapped to a look-alike ("best fit"), on every code page, including those
// that refuse the flags which report either. False for text that is not
// valid UTF-8.
bool code_page_holds(unsigned code_page, const char *text, size_t length);

// Writes UTF-8 text to a file in the code page, "\n" as CR LF; a character
// that the code page cannot hold is replaced. Text of any length is converted
// in bounded pieces that never split a character. False when the text could
// not be converted or written whole.
bool code_page_write(unsigned code_page, std::FILE *file, const char *text, size_t length);

// Turns bytes in the code page into UTF-8: whole characters only, at most size
// bytes; returns the number of bytes written.
size_t code_page_to_utf8(unsigned code_page, const char *bytes, size_t length, char *out,
                         size_t size);

// The UTF-16 path that the file calls pass to the system for a UTF-8 path: the
// path as it is while its full form is shorter than 260 characters, else the
// full path in the \\?\ form (\\?\UNC\server\share\... for a network path),
// which lifts the 259-character limit. A device name such as NUL, whose full
// form is \\.\NUL, is never prefixed. nullptr when the path is not valid UTF-8
// or too long for the system. Points into a buffer that the next call reuses.
const wchar_t *system_path(const char *path);
