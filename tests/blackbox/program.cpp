#include "tests/blackbox/program.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

std::string read_file(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void write_file(const std::string &path, const std::string &content) {
    std::ofstream out(path, std::ios::binary);
    out << content;
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::string make_temp_dir() {
    // Inside the build tree, so that a test process that is killed before it
    // removes its directory leaves nothing elsewhere.
    std::filesystem::create_directories(TARVELIX_TEST_TEMP_ROOT);
    std::string pattern = std::string(TARVELIX_TEST_TEMP_ROOT) + "/tarvelix-test-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed in " + pattern);
    return pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

ProgramRun run_program(const std::vector<std::string> &args, const ProgramOptions &options) {
    static const TempDir scratch_dir; // removed when the test process ends
    const std::string &scratch = scratch_dir.path();
    const std::string in_path = scratch + "/in", out_path = scratch + "/out",
                      err_path = scratch + "/err";
    write_file(in_path, options.input);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, in_path.c_str(), O_RDONLY, 0);
    const std::string &stdout_path = options.stdout_path.empty() ? out_path : options.stdout_path;
    int pipe_ends[2] = {-1, -1};
    if (options.stdout_reader_gone) {
        if (pipe(pipe_ends) != 0)
            throw std::runtime_error("pipe failed");
        close(pipe_ends[0]);
        posix_spawn_file_actions_adddup2(&actions, pipe_ends[1], 1);
        posix_spawn_file_actions_addclose(&actions, pipe_ends[1]);
    } else {
        posix_spawn_file_actions_addopen(&actions, 1, stdout_path.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
    }
    posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);

    // The program path is absolute, so a changed working directory does not matter.
    std::vector<std::string> words{options.program.empty() ? TARVELIX_PROGRAM : options.program};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char *> argv;
    for (std::string &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    // posix_spawn has no portable way to set the child's directory: change ours briefly.
    char saved[4096];
    if (getcwd(saved, sizeof saved) == nullptr)
        throw std::runtime_error("getcwd failed");
    if (!options.directory.empty() && chdir(options.directory.c_str()) != 0)
        throw std::runtime_error("cannot enter " + options.directory);
    if (options.remove_directory && rmdir(options.directory.c_str()) != 0)
        throw std::runtime_error("cannot remove " + options.directory);
    // SIGPIPE at its default action, as a shell starts a program, whatever ours is.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    pid_t pid;
    int spawned = posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    if (chdir(saved) != 0)
        throw std::runtime_error("cannot return to " + std::string(saved));
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (pipe_ends[1] >= 0)
        close(pipe_ends[1]);
    if (spawned != 0)
        throw std::runtime_error("cannot start " + words[0]);

    int status = 0;
    waitpid(pid, &status, 0);
    ProgramRun run;
    bool captured = options.stdout_path.empty() && !options.stdout_reader_gone;
    run.out = captured ? read_file(out_path) : "";
    run.err = read_file(err_path);
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}
