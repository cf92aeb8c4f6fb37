// An in-memory platform for driving run_command inside a test process: every
// effect (output, environment, files, drives, registry, exit) is observable.
#pragma once

#include <initializer_list>
#include <map>
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
    std::string input;                        // standard input
    size_t input_pos = 0;
    int open_handles = 0;
    int current_drive = 3;
    FakeDrive drives[27];                        // index = drive number; 0 unused
    std::vector<std::string> dir_changes;        // every platform_change_dir path
    std::map<std::string, std::string> registry; // "key\\value" -> raw data
};

FakeState &fake();

// Resets the fake to a machine with a ready drive C: whose directory is C:\.
void fake_reset();

struct RunResult {
    std::string out, err;
    int code;
};

// Runs the program in-process with these arguments after the program name.
RunResult run(std::initializer_list<std::string> args);
RunResult run(const std::vector<std::string> &args);
