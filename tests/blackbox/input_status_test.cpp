// The built program on real files, redirected standard input and the
// registry tree: read, ask, qvstatus, setexit and setqortop.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "tests/blackbox/program.h"

namespace {

struct Case {
    std::vector<std::string> args;
    std::string input, out, err;
    int code;
};

void check(const std::vector<Case> &cases, const std::string &program = "") {
    for (const Case &c : cases) {
        ProgramRun r = run_program(c.args, {.input = c.input, .program = program});
        std::string label = c.args.back().substr(0, 40) + " <" + c.input.substr(0, 10) + ">";
        EXPECT_EQ(r.out, c.out) << label;
        EXPECT_EQ(r.err, c.err) << label;
        EXPECT_EQ(r.code, c.code) << label;
    }
}

// What a shell command writes on standard output; the program is $T.
std::string shell(const std::string &command) {
    std::string line = std::string("T=") + TARVELIX_PROGRAM + "; " + command;
    FILE *pipe = popen(line.c_str(), "r");
    if (pipe == nullptr)
        return "(popen failed)";
    std::string out;
    for (int c; (c = fgetc(pipe)) != EOF;)
        out += static_cast<char>(c);
    pclose(pipe);
    return out;
}

TEST(InputStatus, ReadFromFiles) {
    const TempDir temp;
    const std::string dir = temp.path(), lf = dir + "/lf.txt", crlf = dir + "/crlf.txt";
    const std::string a255(255, 'a');
    write_file(lf, "one\ntwo\nthree\n" + a255 + "\nlast");
    write_file(crlf, "one\r\ntwo\r\nthree\r\n" + a255 + "\r\nlast");
    for (const std::string &f : {lf, crlf}) {
        check({
            {{"X", "-t", "read", f, "2"}, "", "set X=two\n", "", 0},
            {{"X", "-t", "read", f, "4"}, "", "set X=" + a255 + "\n", "", 0},
            {{"X", "-t", "read", f, "5"}, "", "set X=\n", "", 0},
            {{"X", "-t", "read", f, "6"}, "", "set X=last\n", "", 0},
            {{"X", "-t", "read", f, "7"}, "", "set X=\n", "", 1},
            {{"X", "-t", "read", f, "2x"}, "", "Invalid number encountered\n", "", 12},
        });
    }
    check({
        {{"X", "-t", "read", dir + "/none", "x"},
         "",
         "set X=\n",
         "tarvelix: can't read from " + dir + "/none\n",
         2},
        {{"X", "-t", "-q", "read", dir + "/none", "1"}, "", "set X=\n", "", 2},
        {{"X", "-t", "read", dir, "1"},
         "",
         "set X=\n",
         "tarvelix: can't read from " + dir + "\n",
         2},
    });
    // A line that is not UTF-8 is 8-bit text, here UTF-8 whose stray byte is a
    // character of its own: every e acute stays whole, in read and in ask.
    std::string e;
    for (int i = 0; i < 300; ++i)
        e += "\xc3\xa9";
    const std::string mixed = dir + "/mixed.txt";
    write_file(mixed, e.substr(0, 400) + "\xff" + std::string(100, 'a') + "\n");
    check({
        {{"X", "-t", "read", mixed, "1"},
         "",
         "set X=" + e.substr(0, 400) + "\xff" + std::string(54, 'a') + "\n",
         "",
         0},
        {{"X", "-t", "read", mixed, "2"}, "", "set X=" + std::string(46, 'a') + "\n", "", 0},
        {{"X", "-t", "ask"}, e + "\xff\n", "set X=" + e.substr(0, 510) + "\n", "", 0},
    });
}

TEST(InputStatus, AskReadsRedirectedInput) {
    check({
        {{"X", "-t", "ask"}, "y\n", "set X=y\n\n", "", 1},
        {{"X", "-t", "ask"}, "", "set X=\n", "", 4},
        {{"X", "-v", "ask", "Continue?", "[abc]"}, "  B\n", "Continue?set X=B\n\n", "", 2},
        // Letters beyond ASCII in either case (C.UTF-8's case mapping).
        {{"X", "-t", "ask", "[\xd1\x91\xd0\xb4]"}, "\xd0\x81\n", "set X=\xd0\x81\n\n", "", 1},
        {{"X", "-t", "ask", "[a\xc3\x89]"}, "\xc3\xa9\n", "set X=\xc3\xa9\n\n", "", 2},
    });
    // Only the reply's own line is taken, from a file or a pipe: the next
    // command reads the rest. A pipe's byte order mark is found all the same.
    const TempDir temp;
    const std::string dir = temp.path();
    write_file(dir + "/in", "yes\r\nnext line\n");
    EXPECT_EQ(shell("($T X -t ask; cat) <" + dir + "/in"), "set X=yes\n\nnext line\n");
    EXPECT_EQ(shell("printf 'y\\nnext\\n' | ($T X -t ask; cat)"), "set X=y\n\nnext\n");
    EXPECT_EQ(shell("printf 'y\\nn\\n' | { $T a -v ask; $T b -v ask; }"), "set A=y\n\nset B=n\n\n");
    EXPECT_EQ(shell("printf '\\377\\376y\\0\\r\\0\\n\\0' | $T X -t ask"), "set X=y\n\n");
    // A reply without a line end from a writer that has gone: the pipe's end is the reply's.
    EXPECT_EQ(shell("printf y | timeout 5 $T X -t ask; echo \"exit $?\""), "set X=y\nexit 1\n");
    // A reply that comes in parts, from a writer that has not yet closed the pipe.
    EXPECT_EQ(shell("(printf 'y'; sleep 0.2; printf 'es\\nrest\\n') | ($T X -t ask; cat)"),
              "set X=yes\n\nrest\n");
}

TEST(InputStatus, AReplyAtATerminalEndsWithEnterOrTheEndOfInput) {
    // A pseudo-terminal as standard input, in its usual line mode, and what is
    // typed there, nothing more: "y" and Enter, or Ctrl-D on an empty line,
    // which a terminal gives as the end of input once, and then waits again.
    const struct {
        std::string typed, out;
    } cases[] = {
        {"y\n", "set X=y\n\nexit 1\n"},
        {"\x04", "set X=\nexit 4\n"},
    };
    for (const auto &c : cases) {
        int terminal = posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(terminal, 0);
        ASSERT_EQ(grantpt(terminal), 0);
        ASSERT_EQ(unlockpt(terminal), 0);
        const std::string device = ptsname(terminal);
        ASSERT_EQ(write(terminal, c.typed.data(), c.typed.size()),
                  static_cast<ssize_t>(c.typed.size()));
        std::string command = "timeout 10 $T X -t ask <" + device + "; echo \"exit $?\"";
        EXPECT_EQ(shell(command), c.out) << c.typed;
        close(terminal);
    }
}

TEST(InputStatus, QvstatusAndSetexit) {
    const TempDir temp;
    const std::string dir = temp.path(), cod = dir + "/run.cod";
    write_file(cod, "start\r\nSET QORCOD=16\r\nwork\r\nset qorcod=12\r\n  SET QORCOD=0\r\n");
    check({
        {{"X", "-t", "qvstatus", cod}, "", "set X=3\n", "", 3},
        {{"X", "-t", "qvstatus", dir + "/none.cod"}, "", "set X=8\n", "", 8},
        {{"X", "-t", "setexit", "5"}, "", "set X=5\n", "", 5},
        {{"X", "-t", "setexit", "-1"}, "", "set X=-1\n", "", 255}, // exit codes are modulo 256
        {{"X", "-t", "setexit", "300"}, "", "set X=300\n", "", 44},
        {{"X", "-t", "setexit", "1.5"}, "", "Invalid number encountered\n", "", 12},
    });
}

// Runs the program on a named pipe through which a thread writes the content:
// as long an input as wanted, with nothing written to disk.
ProgramRun run_on_fifo(const std::string &fifo, const std::vector<std::string> &args,
                       const std::function<void(FILE *)> &write_content) {
    std::thread writer([&] {
        FILE *file = fopen(fifo.c_str(), "wb"); // waits for the program to open it
        if (file != nullptr) {
            write_content(file);
            fclose(file);
        }
    });
    ProgramRun run = run_program(args);
    // A program that never opened the pipe would leave the writer waiting.
    int unblock = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    writer.join();
    if (unblock >= 0)
        close(unblock);
    return run;
}

TEST(InputStatus, LargeFilesAreStreamed) {
    // About 100 MB: a status line near the start and one at the end.
    const TempDir temp;
    const std::string big = temp.path() + "/big.cod";
    ASSERT_EQ(mkfifo(big.c_str(), 0600), 0);
    signal(SIGPIPE, SIG_IGN); // a program that stops reading early fails the writes instead
    std::string block;
    for (int i = 0; i < 10000; ++i)
        block += "INFO step completed without remarks, elapsed time 0.0042 seconds\r\n";
    auto write_big = [&](FILE *file) {
        fputs("SET QORCOD=4\r\n", file);
        for (int i = 0; i < 150; ++i)
            fwrite(block.data(), 1, block.size(), file);
        fputs("set qorcod=12\r\nlast line", file);
    };
    ProgramRun status = run_on_fifo(big, {"X", "-t", "qvstatus", big}, write_big);
    ProgramRun last = run_on_fifo(big, {"X", "-t", "read", big, "1500003"}, write_big);
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    EXPECT_EQ(status.out, "set X=3\n");
    EXPECT_EQ(status.code, 3);
    EXPECT_EQ(last.out, "set X=last line\n");
    EXPECT_LT(usage.ru_maxrss, 60 * 1024) << "kilobytes at most in any run so far";
}

TEST(InputStatus, AFileShortenedWhileReadEndsThere) {
    // 2 GiB without a line end, shortened to nothing as soon as the program has
    // it open: the read ends where the file now does, as at a read error,
    // instead of the process being killed (by SIGBUS, were the file mapped).
    const TempDir temp;
    const std::string cod = temp.path() + "/big.cod";
    write_file(cod, "");
    ASSERT_EQ(truncate(cod.c_str(), off_t{1} << 31), 0);
    EXPECT_EQ(shell("f=" + cod + "; $T X -t qvstatus $f & pid=$!; for i in $(seq 500); do " +
                    "ls -l /proc/$pid/fd 2>/dev/null | grep -q \"$f\" && break; sleep 0.01; " +
                    "done; sleep 0.05; : >$f; wait $pid; echo \"exit $?\""),
              "set X=8\nexit 8\n");
}

TEST(InputStatus, SetqortopReadsTheRegistryTree) {
    // A program built with its registry root in the build tree: the tests never
    // touch the root of the program that is installed.
    namespace fs = std::filesystem;
    const fs::path root = TARVELIX_TEST_REGISTRY_ROOT;
    fs::remove_all(root);
    const fs::path key = root / "SOFTWARE/Drelvink/Corvanta/38.0/korvo";
    const std::string value = (key / "qortop").string();
    const std::string unable = "Unable to retrieve value of QORTOP from Registry\n";
    const std::string program = TARVELIX_TEST_ROOT_PROGRAM;
    check({{{"X", "-t", "-q", "setqortop"}, "", "set X=\n", unable, 0}}, program);
    fs::create_directories(key);
    write_file(value, "C:\\Program Files\\Root");
    check(
        {
            {{"X", "-t", "setqortop"}, "", "set X=C:\\Program Files\\Root\n", "", 0},
            {{"X", "-u", "-v", "setqortop"}, "", "set X=C:\\PROGRAM FILES\\ROOT\n", "", 0},
        },
        program);
    write_file(value, std::string("D:\\q\0junk", 9));
    check({{{"X", "-t", "setqortop"}, "", "set X=D:\\q\n", "", 0}}, program);
    write_file(value, std::string(256, 'r'));
    check({{{"X", "-t", "setqortop"}, "", "set X=\n", unable, 0}}, program);
    // A value that is no regular file is missing, and never blocks the lookup.
    fs::remove(value);
    ASSERT_EQ(mkfifo(value.c_str(), 0600), 0);
    check({{{"X", "-t", "setqortop"}, "", "set X=\n", unable, 0}}, program);
    fs::remove_all(root);
}

} // namespace
