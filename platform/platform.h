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

// Text crosses this interface as UTF-8, in both directions: generalized UTF-8
// (platform/unicode.h), so that a lone surrogate of a Windows name passes as
// its 3-byte form. The Windows side converts to UTF-16 at the system calls,
// and writes output to a console as Unicode or else in the console's code
// page; nothing above this layer knows about code pages.

// ---- Process -------------------------------------------------------------

// Prepares the process before anything else runs: on Windows, no error dialog
// for a drive that is not ready, and standard input in binary mode.
void platform_init();

// Replaces argc and argv by the program's arguments as UTF-8. On Windows they
// come from the system's Unicode command line, split by split_command_line;
// elsewhere they stay as the system gave them.
void platform_arguments(int *argc, char ***argv);

// Ends the process with the given exit code. Everything written to standard
// output must have been flushed (platform_flush_out) before.
[[noreturn]] void platform_exit(int code);

// Sets a variable in the environment of the running process; false when the
// operating system refuses.
bool platform_set_env(const char *name, const char *value);

// ---- Standard streams ----------------------------------------------------

enum PlatformStream { STREAM_OUT, STREAM_ERR };

// Writes UTF-8 text to standard output or standard error. Line ends are
// written as "\n"; on Windows they become CR LF. A Windows console receives
// the text as Unicode; anything else receives it in the console's output code
// page (the OEM code page when the process has no console), where a character
// that the code page cannot hold is replaced.
void platform_write(PlatformStream stream, const char *data, size_t length);

// True when standard output takes every character of the text as it is: on a
// console, on POSIX, or when its code page holds them all (none holds a lone
// surrogate).
bool platform_can_write_out(const char *text, size_t length);

// The code page of UTF-8.
inline constexpr unsigned UTF8_CODE_PAGE = 65001;

// The code page that standard output is written in when it is no console;
// UTF8_CODE_PAGE on POSIX.
unsigned platform_out_code_page();

// Flushes standard output; false when anything written to it has been lost.
bool platform_flush_out();

// Turns 8-bit text of the system into UTF-8: on Windows from the console's code
// page (as platform_write uses it), on POSIX unchanged. Writes whole characters
// only, at most size bytes; returns the number of bytes written.
size_t platform_text_to_utf8(const char *bytes, size_t length, char *out, size_t size);

// Passes over the characters of 8-bit text in the code page that
// platform_text_to_utf8 converts from, that begin before stop (at most
// length): at most count of them, none running past length. A character is
// one to four bytes: on Windows in the console's code page, where a lead byte
// of a double-byte code page takes its trail byte with it (GB18030 also has
// four-byte characters); on POSIX in UTF-8, where a byte outside a valid
// sequence is one character. Returns the bytes passed, and their characters in
// *characters. Long text goes at the speed of memory in a code page of single
// bytes and in UTF-8.
size_t platform_text_pass(const char *bytes, size_t length, size_t stop, size_t count,
                          size_t *characters);

// ---- Letter case ------------------------------------------------------------

// The lower-case or upper-case form of a character (a Unicode code point) by
// the system's simple case mapping, which is the same for every language: on
// Windows the system's own; on POSIX the C library's in the C.UTF-8 locale,
// and ASCII letters only where the system lacks that locale. The character
// itself when it has no such form, or when that form is more than one
// character.
uint32_t platform_lower_case(uint32_t character);
uint32_t platform_upper_case(uint32_t character);

// ---- Files and standard input, read as raw bytes ---------------------------

// The handle of standard input, for platform_read.
inline constexpr int PLATFORM_STDIN = 0;

// Opens a file for reading; a handle of 0 or more, or -1 when it cannot be opened.
int platform_open_read(const char *path);

// Reads up to size bytes; the count read, 0 at the end, -1 on an error.
long platform_read(int handle, char *buffer, size_t size);

// The most bytes that platform_peek shows. A pipe holds at least this many, so
// that a peek never waits for bytes that the writer cannot write before the
// reader takes some.
inline constexpr size_t PEEK_MAX = 4096;

// Copies the next bytes of a handle into buffer without taking them: waits
// until at least `least` bytes are there or the input has ended, then copies
// all there are, up to size (both at most PEEK_MAX). Returns their count (fewer
// than least only at the end), or -1 on an error. A file gives the bytes back
// by seeking and a pipe is peeked (on Linux with tee), so that the next
// program reading the same standard input still gets them. Anything else (a
// terminal) takes no more than least bytes and keeps them for this process's
// next platform_read.
long platform_peek(int handle, char *buffer, size_t size, size_t least);

// Copies up to size first bytes of the file behind a handle into buffer,
// wherever its reading stands, and leaves that as it is; returns their count,
// or -1 when the handle is no file (a pipe, a console).
long platform_read_head(int handle, char *buffer, size_t size);

// When standard input is a console: reads one line as typed and gives at most
// its first max_characters characters (255 at most), as UTF-8 into buffer
// (size bytes, room for 4 * max_characters + 2), with its CR LF when they are
// the whole line. The rest of a longer line is read and dropped, where the
// console gives whole lines, so that the next reader waits for a line of its
// own. Returns the number of bytes, or -1 when standard input is no console.
long platform_read_console_line(char *buffer, size_t size, size_t max_characters);

// Closes a handle from platform_open_read.
void platform_close(int handle);

// ---- File status -----------------------------------------------------------

struct FileStatus {
    int64_t size;     // bytes
    int64_t modified; // seconds since 1970-01-01 UTC
    bool is_directory;
};

// False when the path does not exist or cannot be examined. Paths of every
// call may be as long as the system allows, relative or absolute.
bool platform_stat(const char *path, FileStatus *status);

// ---- Drives and working directories ----------------------------------------
// Drive numbers: 1 is A, 2 is B, ... DRIVE_COUNT is Z; 0 names the current drive.
inline constexpr int DRIVE_COUNT = 26;

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

// ---- Environment, paths and files made for a batch file ----------------------

// The separator between the folders of a path.
#ifdef _WIN32
inline constexpr char PATH_SEPARATOR = '\\';
#else
inline constexpr char PATH_SEPARATOR = '/';
#endif

// Copies the value of an environment variable, as UTF-8, into buffer (size
// bytes, zero-ended); false when it is not set or does not fit.
bool platform_get_env(const char *name, char *buffer, size_t size);

// Writes the full form of a path (absolute, with "." and ".." resolved) into
// buffer, zero-ended; returns its length, or -1 when it cannot be formed or
// does not fit.
long platform_full_path(const char *path, char *buffer, size_t size);

// Writes the short form of an existing path (each long name replaced by its
// 8.3 alias, where the file system has one) into buffer, zero-ended; returns
// its length, or -1. Where there are no short names, the path as it is.
long platform_short_path(const char *path, char *buffer, size_t size);

// The code page in which cmd.exe reads back a line with "set /p" from a file:
// the console's code page, or without a console the one that cmd.exe uses
// then. UTF8_CODE_PAGE on POSIX.
unsigned platform_batch_code_page();

// True when every character of the UTF-8 text survives being written in the
// batch code page and read back.
bool platform_batch_can_hold(const char *text, size_t length);

// The number of bytes that platform_write_new_file writes for the text: in
// the batch code page, each line end as CR LF on Windows.
size_t platform_batch_length(const char *text, size_t length);

enum PlatformCreated { CREATED, ALREADY_EXISTS, CREATE_FAILED };

// Creates a file that does not exist yet, in one step that no other process
// can win as well, and writes the UTF-8 text into it in the batch code page
// ("\n" as CR LF on Windows). A link of that name is never followed. In the
// folder that platform_make_new_dir made last, the file is made in that very
// folder, even if its name has been taken since by a link or another folder:
// nothing is written through a link that the program did not make.
PlatformCreated platform_write_new_file(const char *path, const char *text, size_t length);

// Creates a directory that does not exist yet, in the same way, for this user
// alone where the system says who may enter (0700 on POSIX).
PlatformCreated platform_make_new_dir(const char *path);

// Removes a file (a link itself, not what it points to), or an empty
// directory; false when it cannot.
bool platform_remove_file(const char *path);
bool platform_remove_dir(const char *path);

// One entry of a directory. A link is shown as what it is, never as what it
// points to: neither a directory nor a file.
struct PlatformEntry {
    const char *name;
    bool is_directory;
    bool is_file;
    int64_t modified; // seconds since 1970-01-01 UTC
};

// Calls visit for each entry of the directory but "." and ".."; false when
// the directory cannot be read.
bool platform_list_dir(const char *path, void (*visit)(const PlatformEntry &entry, void *context),
                       void *context);

// The time now, in seconds since 1970-01-01 UTC.
int64_t platform_now();

// A number from the system's source of randomness, for names that no other
// process picks at the same time.
uint32_t platform_random();

// ---- Registry --------------------------------------------------------------

// Reads the data of value_name under the key path (below HKEY_LOCAL_MACHINE)
// into buffer, as bytes that need not be zero-ended: string data as UTF-8,
// other data as it is stored. Returns the number of bytes, or -1 when the key
// or value is missing or its data is larger than size.
long platform_registry_query(const char *key_path, const char *value_name, char *buffer,
                             size_t size);
