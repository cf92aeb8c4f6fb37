// An in-memory platform for driving run_command inside a test process: every
// effect (output, environment, files, drives, registry, exit) is observable.
#pragma once

#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

// Thrown by platform_exit so that a test sees the exit code.
struct ExitCalled {
    int code;
};

struct FakeDrive {
    bool ready = false;
    std::string dir; // full path with letter, e.g. "D:\\data"; empty when unreadable
};

struct FakeState {
    std::string out, err;
    bool out_fails = false;   // platform_flush_out reports lost output
    bool env_refuses = false; // platform_set_env fails
    std::map<std::string, std::string> env;
    std::map<std::string, std::string> files; // path -> content, for platform_open_read
    std::map<std::string, FileStatus> stats;  // path -> status, for platform_stat
    std::vector<std::string> stat_paths;      // every platform_stat path, in order
    std::string input;                        // standard input
    size_t input_pos = 0;
    size_t read_chunk = 0;                    // when not 0: most bytes one platform_read returns
    size_t read_fails_at = std::string::npos; // a file read from this offset on fails
    size_t out_flushed = 0;                   // bytes of out pushed out by platform_flush_out
    size_t flushed_at_input = 0;              // out_flushed when stdin was first read
    int open_handles = 0;
    int current_drive = 3;
    // Index = drive number; drives[0] is the working directory while it lies on no
    // lettered drive (current_drive 0), e.g. "\\\\srv\\share\\d".
    FakeDrive drives[27];
    std::vector<int> drive_changes;              // every platform_change_drive drive
    std::vector<std::string> dir_changes;        // every platform_change_dir path
    std::map<std::string, std::string> registry; // "key\\value" -> raw data
    // Output code page: characters (UTF-8) that it cannot hold.
    std::string out_cannot_hold;
    bool console_input = false; // standard input is a console of lines
    bool input_pipe = false;    // standard input is a pipe: it has no head to read
    bool peek_fails = false;    // standard input cannot be looked at: platform_peek fails
    // 8-bit text is in a double-byte code page: bytes 0x81-0x9F and 0xE0-0xFC
    // lead two-byte characters, which become ideographs (see fake_double_byte).
    bool double_byte = false;
    // Files written by platform_write_new_file also land in files; these
    // folders exist for platform_make_new_dir, and writes below unwritable
    // ones fail.
    std::set<std::string> dirs;
    std::set<std::string> unwritable;
    std::map<std::string, std::string> short_paths; // full path -> its short form
    std::map<std::string, int64_t> modified;        // files and dirs; missing: now
    int64_t now = 2000000000;
    std::vector<uint32_t> randoms; // platform_random's answers, in turn
    size_t random_next = 0;
};

FakeState &fake();

// The byte length of the 8-bit character at the start of bytes (length > 0):
// 2 for a lead byte of the double-byte code page, else 1.
size_t fake_text_step(const char *bytes, size_t length);

// The code point of the fake double-byte character lead, trail.
uint32_t fake_double_byte(unsigned char lead, unsigned char trail);

// Resets the fake to a machine with a ready drive C: whose directory is C:\.
void fake_reset();

struct RunResult {
    std::string out, err;
    int code;
};

// Runs the program in-process with these arguments after the program name.
RunResult run(std::initializer_list<std::string> args);
RunResult run(const std::vector<std::string> &args);

// Runs "X -t" followed by these arguments: the stored value shows as the
// "set X=..." line and nothing is set.
RunResult run_test_mode(const std::vector<std::string> &args);

// A character of four bytes in UTF-8 (U+1F600), the most that one takes.
inline const std::string FOUR_BYTES = "\xf0\x9f\x98\x80";

// count copies of text, one after the other.
std::string repeat(const std::string &text, size_t count);
