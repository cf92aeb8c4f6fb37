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
    // The program to run; empty runs the program under test.
    std::string program = "";
};

ProgramRun run_program(const std::vector<std::string> &args, const ProgramOptions &options = {});

// A fresh empty directory for one test, below test-tmp in the build tree.
std::string make_temp_dir();

// A make_temp_dir directory that is removed, with all it holds, when the
// object goes out of scope, whether the test passed or not.
class TempDir {
  public:
    TempDir() : path_(make_temp_dir()) {}
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    const std::string &path() const { return path_; }

  private:
    std::string path_;
};

// Writes a file with exactly this content.
void write_file(const std::string &path, const std::string &content);

// The whole content of a file.
std::string read_file(const std::string &path);
