// A small model of how cmd.exe runs tvset.cmd's line of commands, for tests:
// it splits the line as cmd does (double quotes, & | < > ^, % and, with
// delayed expansion on, !), accepts only the commands that the line may hold,
// and plays them on a model of the script's state.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

struct ModelScript {
    std::map<std::string, std::string> env; // the calling script's variables
    std::vector<std::string> cd_targets;    // each "cd /d" target, in order
    std::vector<std::string> removed;       // each folder that "rd /s /q" removes
    bool exited = false;
    int exit_code = 0;
};

// Runs the line (ending with its line end) on the script; reads a file that
// "set /p" redirects from with read_file, which returns false for a missing
// one. Returns the empty text, or where the line breaks the grammar.
std::string run_model_line(const std::string &line, bool delayed,
                           const std::function<bool(const std::string &, std::string *)> &read_file,
                           ModelScript *script);
