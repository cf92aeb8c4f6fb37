// Runs the built program as a separate process and captures what it did.
#pragma once

#include <string>
#include <vector>

struct ProgramRun {
    std::string out, err;
    int code; // exit status, or -1 when the process did not exit normally
};

struct ProgramOptions {
    std::string input = "";        // standard input
    std::string directory = "";    // working directory; empty keeps the current one
    bool remove_directory = false; // the working directory is removed before the program starts
    std::string stdout_path = "";  // send standard output to this file instead of capturing it
    // Standard output is a pipe whose read end is closed (a reader that has gone).
    bool stdout_reader_gone = false;
};

ProgramRun run_program(const std::vector<std::string> &args, const ProgramOptions &options = {});

// A fresh empty directory for one test.
std::string make_temp_dir();

// Writes a file with exactly this content.
void write_file(const std::string &path, const std::string &content);
