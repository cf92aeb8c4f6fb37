// libFuzzer harness: one input is one run of the program against the fake platform.
//
// Input layout, sections separated by a line holding only "%%":
//   1. the command line after the program name, one word per line (at most MAX_WORDS);
//      a byte 0x1F in a word stands for a line feed
//   2. the content of the file "f"
//   3. standard input
//   4. the registry data of the install-root value
//   5. the working directory of drive C: (when present; else "C:\")
// The file system also holds fixed entries with extreme sizes and times, so that
// the file-status functions meet them whatever the fuzzer types.
//
// Besides the sanitizers' reports, a run fails when it does not end through the
// platform's exit, leaves a file open, stores a variable whose value exceeds the
// program's limit or whose over-long name did not come from the command line, or,
// under -tvset, writes a line of commands that breaks its grammar or reads a value
// file that does not exist.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "runner/command.h"
#include "support/call.h"
#include "support/handover.h"
#include "support/letters.h"
#include "tests/batch_model.h"
#include "tests/fake_platform.h"

namespace {

constexpr size_t MAX_WORDS = 110;
constexpr std::string_view SEPARATOR = "\n%%\n";

[[noreturn]] void finding(const char *what) {
    fprintf(stderr, "fuzz_command: %s\n", what);
    abort();
}

std::vector<std::string_view> split(std::string_view data, std::string_view separator,
                                    size_t limit) {
    std::vector<std::string_view> parts;
    while (parts.size() + 1 < limit) {
        size_t at = data.find(separator);
        if (at == std::string_view::npos)
            break;
        parts.push_back(data.substr(0, at));
        data.remove_prefix(at + separator.size());
    }
    parts.push_back(data);
    return parts;
}

void prepare_platform(const std::vector<std::string_view> &sections, size_t input_size) {
    fake_reset();
    auto section = [&](size_t i) {
        return std::string(i < sections.size() ? sections[i] : std::string_view());
    };
    std::string file = section(1);
    fake().files["f"] = file;
    fake().stats["f"] = FileStatus{static_cast<int64_t>(file.size()), 1000000000, false};
    fake().stats["d"] = FileStatus{0, 0, true};
    fake().stats["g"] = FileStatus{INT64_MAX, INT64_MIN, false};
    fake().stats["h"] = FileStatus{int64_t{1} << 31, int64_t{1} << 31, false};
    fake().stats["n"] = FileStatus{-1, -1, false};
    fake().input = section(2);
    if (sections.size() > 3)
        fake().registry["SOFTWARE\\Drelvink\\Corvanta\\38.0\\korvo\\qortop"] = section(3);
    if (sections.size() > 4)
        fake().drives[3].dir = section(4);
    fake().drives[4] = FakeDrive{true, "D:\\data"};
    fake().drives[0] = FakeDrive{true, "\\\\srv\\share\\d"};
    // Short platform reads now and then, as a pipe or a slow device gives them;
    // a console, or input that cannot be looked at; 8-bit text in a double-byte
    // code page; an output code page that lacks a letter.
    fake().read_chunk = input_size % 7;
    fake().console_input = input_size % 5 == 0;
    fake().peek_fails = input_size % 11 == 0;
    fake().double_byte = input_size % 2 == 0;
    if (input_size % 3 == 0)
        fake().out_cannot_hold = "\xc3\xa9";
    // For "-tvset": the folder TMP names, and a caller with delayed expansion
    // on now and then.
    fake().env["TMP"] = "/t";
    fake().dirs = {"/t"};
    if (input_size % 4 == 0)
        fake().env["_tvdelayed"] = "1";
}

// A name over the limit is only parse's rest variable, upper-cased from a word
// of the command line.
bool is_upper_cased_word(const std::string &name, const std::vector<std::string> &words) {
    for (std::string word : words) {
        for (char &c : word)
            c = upper_letter(c);
        if (word == name)
            return true;
    }
    return false;
}

void check_environment(const std::vector<std::string> &words) {
    for (const auto &[name, value] : fake().env) {
        if (name == "TMP" || name == "_tvdelayed")
            continue;
        if (utf8_count(value.data(), value.size()) > RESULT_CHARACTERS)
            finding("variable value over the limit");
        if (name.size() >= NAME_SIZE && !is_upper_cased_word(name, words))
            finding("variable name over the limit, not from the command line");
    }
}

// Under -tvset, the line of commands that a run's exit code names keeps its
// grammar, as cmd.exe would run it, and every value file it reads exists.
void check_handover(const std::vector<std::string> &words, int code) {
    if (words.size() < 2 || words[1] != "-tvset" || code < FIRST_HANDOVER_ID)
        return;
    auto found = fake().files.find("/t/" + std::to_string(code) + ".tvs");
    if (found == fake().files.end())
        finding("no line of commands for the exit code");
    auto read = [](const std::string &path, std::string *content) {
        auto file = fake().files.find(path);
        if (file == fake().files.end())
            return false;
        *content = file->second;
        return true;
    };
    ModelScript script;
    std::string error =
        run_model_line(found->second, fake().env.count("_tvdelayed") != 0, read, &script);
    if (!error.empty()) {
        fprintf(stderr, "%s\n%s", error.c_str(), found->second.c_str());
        finding("a line of commands that breaks its grammar");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string_view input(reinterpret_cast<const char *>(data), size);
    std::vector<std::string_view> sections = split(input, SEPARATOR, 5);
    prepare_platform(sections, size);

    std::vector<std::string_view> words = split(sections[0], "\n", MAX_WORDS);
    if (words.size() == MAX_WORDS && words.back().find('\n') != std::string_view::npos)
        words.back() = words.back().substr(0, words.back().find('\n'));
    // Each word is a zero-ended, modifiable argument, as argv gives them.
    std::vector<std::string> storage{"tarvelix"};
    for (std::string_view word : words) {
        storage.emplace_back(word.substr(0, word.find('\0')));
        for (char &c : storage.back())
            c = c == '\x1f' ? '\n' : c;
    }
    const std::vector<std::string> typed = storage; // the program may change its arguments
    std::vector<char *> argv;
    for (std::string &word : storage)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    try {
        run_command(static_cast<int>(storage.size()), argv.data());
    } catch (const ExitCalled &exit) {
        if (fake().open_handles != 0)
            finding("a file was left open");
        check_handover(typed, exit.code);
        check_environment(typed);
        return 0;
    }
    finding("the run did not end through platform_exit");
}
