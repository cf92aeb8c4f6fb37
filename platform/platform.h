// The thin layer over the operating system. The runner and the functions reach
// the outside world only through these calls, so that a test or a fuzzer can
// link a fake implementation and watch every effect in-process.
#pragma once

#include <cstddef>
#include <cstdint>

// Marks a function whose arguments follow a printf format, so that the
// compiler checks them; format_index and first_arg count from 1.
#if defined(__GNUC__) || defined(__clang__)
#define PRINTF_LIKE(format_index, first_arg) [[gnu::format(printf, format_index, first_arg)]]
#else
#define PRINTF_LIKE(format_index, first_arg)
#endif

// ---- Process -------------------------------------------------------------

// Prepares the process before anything else runs: on Windows, no error dialog
// for a drive that is not ready, and standard input in binary mode.
void platform_init();

// Ends the process with the given exit code. Everything written to standard
// output must have been flushed (platform_flush_out) before.
[[noreturn]] void platform_exit(int code);

// Sets a variable in the environment of the running process; false when the
// operating system refuses.
bool platform_set_env(const char *name, const char *value);

// ---- Standard streams ----------------------------------------------------

enum PlatformStream { STREAM_OUT, STREAM_ERR };

// Writes bytes to standard output or standard error. Line ends are written as
// "\n"; a Windows console build turns them into CR LF.
void platform_write(PlatformStream stream, const char *data, size_t length);

// Flushes standard output; false when anything written to it has been lost.
bool platform_flush_out();

// ---- Files and standard input, read as raw bytes ---------------------------

// The handle of standard input, for platform_read.
inline constexpr int PLATFORM_STDIN = 0;

// Opens a file for reading; a handle of 0 or more, or -1 when it cannot be opened.
int platform_open_read(const char *path);

// Reads up to size bytes; the count read, 0 at the end, -1 on an error.
long platform_read(int handle, char *buffer, size_t size);

// Returns the next byte of a handle (0 to 255) without taking it, or -1 at the
// end or on an error. A file gives the byte back by seeking, so that the next
// program reading the same standard input still gets it; a Windows pipe is
// peeked. Anything else keeps the byte for this process's next platform_read.
int platform_peek_byte(int handle);

// Closes a handle from platform_open_read.
void platform_close(int handle);

// ---- File status -----------------------------------------------------------

struct FileStatus {
    int64_t size;     // bytes
    int64_t modified; // seconds since 1970-01-01 UTC
    bool is_directory;
};

// False when the path does not exist or cannot be examined.
bool platform_stat(const char *path, FileStatus *status);

// ---- Drives and working directories ----------------------------------------
// Drive numbers: 1 is A, 2 is B, ...; 0 names the current drive.

// The current drive number (0 when the working directory lies on no drive).
int platform_get_drive();

// Makes a drive current; 0 on success.
int platform_change_drive(int drive);

// Writes the working directory of a drive, as a full path with its drive
// letter, into buffer (zero-ended when it fits). Returns the path's length, or
// -1 when the drive cannot be read. A length of size or more means the path did
// not fit and the buffer holds no usable text.
int platform_get_drive_dir(int drive, char *buffer, size_t size);

// Changes the working directory; 0 on success.
int platform_change_dir(const char *path);

// ---- Registry --------------------------------------------------------------

// Reads the data of value_name under the key path (below HKEY_LOCAL_MACHINE)
// into buffer, as raw bytes that need not be zero-ended. Returns the number of
// bytes of data, or -1 when the key or value is missing or its data is larger
// than size.
long platform_registry_query(const char *key_path, const char *value_name, char *buffer,
                             size_t size);
