// The pieces of the Windows side that take their code page or path explicitly, so
// that the test probe can call them directly: a program that Wine's cmd starts
// with redirected streams has no console, and its own code page never changes,
// so only this way do code pages such as 65001, 932 or 54936 get tested. Also
// what the Windows files share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// True when every character of the UTF-8 text comes back unchanged from the
// code page: UTF-16, then the code page, then UTF-16 again must give the same
// units. This catches a character replaced by the default character and one
// mapped to a look-alike ("best fit"), on every code page, including those
// that refuse the flags which report either. False for text that is not
// valid generalized UTF-8, and for a lone surrogate, which no code page holds.
bool code_page_holds(unsigned code_page, const char *text, size_t length);

// Writes UTF-8 text to a file in the code page, "\n" as CR LF; a character
// that the code page cannot hold is replaced. Text of any length is converted
// in bounded pieces that never split a character. False when the text could
// not be converted or written whole.
bool code_page_write(unsigned code_page, std::FILE *file, const char *text, size_t length);

// The byte length, 1 to 4 and at most length, of the character at the start of
// 8-bit text in the code page: in a double-byte code page a lead byte takes its
// trail byte with it, in GB18030 (54936) also the two bytes more of a four-byte
// character; in 65001 a valid UTF-8 sequence. A byte that begins no whole
// character is one of its own. Requires length > 0.
size_t code_page_step(unsigned code_page, const char *bytes, size_t length);

// The number of bytes that code_page_write writes for the text, each line
// end as CR LF.
size_t code_page_length(unsigned code_page, const char *text, size_t length);

// Passes over the characters of 8-bit text in the code page, as
// code_page_step marks them out, that begin before stop (at most length): at
// most count of them, none running past length. Returns the bytes passed, and
// their characters in *characters.
size_t code_page_pass(unsigned code_page, const char *bytes, size_t length, size_t stop,
                      size_t count, size_t *characters);

// Turns bytes in the code page into UTF-8, one character as code_page_step
// finds it at a time, each becoming one character (U+FFFD when the code page
// has none for its bytes): whole characters only, at most size bytes; returns
// the number of bytes written.
size_t code_page_to_utf8(unsigned code_page, const char *bytes, size_t length, char *out,
                         size_t size);

// The UTF-16 path that the file calls pass to the system for a UTF-8 path: the
// path as it is while its full form is shorter than 260 characters, else the
// full path in the \\?\ form (\\?\UNC\server\share\... for a network path),
// which lifts the 259-character limit. A device name such as NUL, whose full
// form is \\.\NUL, is never prefixed. A lone surrogate in its generalized
// UTF-8 form reaches the system as that unit. nullptr when the path is not
// valid generalized UTF-8 or too long for the system. Points into a buffer
// that the next call reuses.
const wchar_t *system_path(const char *path);

// ---- Shared by the Windows files ---------------------------------------------

// The longest path, environment value or command line the system takes, in
// UTF-16 units, and room for its closing zero. A capacity given to the system
// stays at SYSTEM_UNITS: the system's strings count their bytes in 16 bits, and
// some implementations of GetFullPathNameW fail on a buffer of 65,536 bytes.
inline constexpr size_t SYSTEM_UNITS = 32767;
inline constexpr size_t UNITS_BUFFER = SYSTEM_UNITS + 1;
// SYSTEM_UNITS as the system's calls take it, a DWORD.
inline constexpr unsigned long SYSTEM_CAPACITY = SYSTEM_UNITS;

// A FILETIME, 100 ns steps since 1601-01-01 UTC given as its high and low
// 32 bits, as whole seconds since 1970, rounded down, also before 1970.
int64_t unix_seconds(uint32_t high, uint32_t low);

// Converts a zero-ended generalized UTF-8 text into capacity units, its zero
// included, a lone surrogate as the unit it is. False when it is not valid
// generalized UTF-8 or does not fit: such a name cannot be the one the caller
// means, so it must not reach the system altered.
bool system_units(const char *text, wchar_t *out, size_t capacity);

// Writes count units as zero-ended generalized UTF-8 into buffer, a lone
// surrogate kept; returns its length, or -1 when it does not fit.
long system_text(const wchar_t *units, size_t count, char *buffer, size_t size);

// UTF-8 text is converted in pieces of at most TEXT_PIECE bytes, each cut where
// a character ends. With CR before each LF a piece doubles at most, each byte
// gives at most one UTF-16 unit, and each unit at most four bytes in any code
// page (GB18030).
inline constexpr size_t TEXT_PIECE = 2048;
inline constexpr size_t TEXT_PIECE_UNITS = 2 * TEXT_PIECE;
inline constexpr size_t TEXT_PIECE_BYTES_MAX = 4 * TEXT_PIECE_UNITS;

// Converts a piece of generalized UTF-8, at most TEXT_PIECE bytes, into
// TEXT_PIECE_UNITS units, with CR before each LF; a lone surrogate stays the
// unit it is, and a byte that belongs to no valid sequence becomes U+FFFD.
// Returns the number of units (of a longer piece, what fits).
size_t text_piece_units(const char *text, size_t length, wchar_t *units);

// The system handle (a HANDLE) behind a handle of the C runtime.
void *system_handle(int handle);

// Reads up to size bytes from a handle of the C runtime, past the bytes that
// a peek holds (held_input.h); the count, 0 at the end, -1 on an error.
long runtime_read(int handle, char *buffer, size_t size);

// The console's output code page, which chcp sets, asked once; 0 when the
// process has no console.
unsigned console_output_code_page();

// Puts the standard streams in binary mode and gives standard output its
// buffer.
void streams_init();
