#include "tests/fake_platform.h"

#include <algorithm>
#include <cstring>

#include "platform/unicode.h"
#include "runner/command.h"

static FakeState state;

namespace {
struct OpenFile {
    bool used = false;
    std::string data;
    size_t pos = 0;
};
OpenFile open_files[16];
} // namespace

FakeState &fake() {
    return state;
}

void fake_reset() {
    state = FakeState{};
    for (OpenFile &file : open_files)
        file = OpenFile{};
    state.drives[3] = FakeDrive{true, "C:\\"};
}

void platform_init() {}

void platform_arguments(int *, char ***) {}

void platform_exit(int code) {
    throw ExitCalled{code};
}

bool platform_set_env(const char *name, const char *value) {
    if (state.env_refuses)
        return false;
    state.env[name] = value;
    return true;
}

void platform_write(PlatformStream stream, const char *data, size_t length) {
    (stream == STREAM_OUT ? state.out : state.err).append(data, length);
}

bool platform_can_write_out(const char *text, size_t length) {
    const std::string written(text, length);
    const std::string &lacking = state.out_cannot_hold;
    for (size_t i = 0; i < lacking.size();) {
        size_t step = utf8_step(lacking.data() + i, lacking.size() - i);
        if (written.find(lacking.substr(i, step)) != std::string::npos)
            return false;
        i += step;
    }
    return true;
}

unsigned platform_out_code_page() {
    return 437;
}

static bool is_fake_lead_byte(unsigned char c) {
    return state.double_byte && ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC));
}

uint32_t fake_double_byte(unsigned char lead, unsigned char trail) {
    return 0x4E00 + ((lead & 0x7Fu) << 8 | trail) % 0x5200;
}

size_t fake_text_step(const char *bytes, size_t length) {
    return length >= 2 && is_fake_lead_byte(static_cast<unsigned char>(bytes[0])) ? 2 : 1;
}

size_t platform_text_pass(const char *bytes, size_t length, size_t stop, size_t count,
                          size_t *characters) {
    size_t at = 0, passed = 0;
    for (; passed < count && at < stop; ++passed)
        at += fake_text_step(bytes + at, length - at);
    *characters = passed;
    return at;
}

// The fake's 8-bit text is ISO 8859-1, so that a test sees each byte converted,
// or in double_byte mode a code page whose lead bytes take a second byte.
size_t platform_text_to_utf8(const char *bytes, size_t length, char *out, size_t size) {
    size_t used = 0;
    for (size_t i = 0; i < length;) {
        size_t step = fake_text_step(bytes + i, length - i);
        auto c = static_cast<unsigned char>(bytes[i]);
        uint32_t code_point =
            step == 2 ? fake_double_byte(c, static_cast<unsigned char>(bytes[i + 1])) : c;
        char encoded[UTF8_MAX];
        size_t need = utf8_encode(code_point, encoded);
        if (used + need > size)
            break;
        memcpy(out + used, encoded, need);
        used += need;
        i += step;
    }
    return used;
}

// The fake's letters are ASCII: a test of other letters runs the program.
uint32_t platform_lower_case(uint32_t character) {
    return character >= 'A' && character <= 'Z' ? character - 'A' + 'a' : character;
}

uint32_t platform_upper_case(uint32_t character) {
    return character >= 'a' && character <= 'z' ? character - 'a' + 'A' : character;
}

bool platform_flush_out() {
    if (!state.out_fails)
        state.out_flushed = state.out.size();
    return !state.out_fails;
}

int platform_open_read(const char *path) {
    auto found = state.files.find(path);
    if (found == state.files.end())
        return -1;
    for (int i = 0; i < 16; ++i) {
        if (!open_files[i].used) {
            open_files[i] = OpenFile{true, found->second, 0};
            ++state.open_handles;
            return i + 1; // 0 is standard input
        }
    }
    return -1;
}

long platform_read(int handle, char *buffer, size_t size) {
    std::string *data = &state.input;
    size_t *pos = &state.input_pos;
    if (handle != PLATFORM_STDIN) {
        if (handle < 1 || handle > 16 || !open_files[handle - 1].used)
            return -1;
        data = &open_files[handle - 1].data;
        pos = &open_files[handle - 1].pos;
    }
    if (handle == PLATFORM_STDIN && state.input_pos == 0)
        state.flushed_at_input = state.out_flushed;
    if (state.read_chunk != 0)
        size = std::min(size, state.read_chunk);
    if (handle != PLATFORM_STDIN && state.read_fails_at != std::string::npos) {
        if (*pos >= state.read_fails_at)
            return -1;
        size = std::min(size, state.read_fails_at - *pos);
    }
    size_t count = std::min(size, data->size() - *pos);
    memcpy(buffer, data->data() + *pos, count);
    *pos += count;
    return static_cast<long>(count);
}

// The data and reading position behind a handle; nullptr for an unknown one.
static std::string *handle_data(int handle, size_t **pos) {
    if (handle == PLATFORM_STDIN) {
        *pos = &state.input_pos;
        return &state.input;
    }
    if (handle < 1 || handle > 16 || !open_files[handle - 1].used)
        return nullptr;
    *pos = &open_files[handle - 1].pos;
    return &open_files[handle - 1].data;
}

// Every byte is there at once: least needs no wait.
long platform_peek(int handle, char *buffer, size_t size, size_t) {
    size_t *pos = nullptr;
    const std::string *data = handle_data(handle, &pos);
    if (data == nullptr || (handle == PLATFORM_STDIN && state.peek_fails))
        return -1;
    size_t count = std::min({size, PEEK_MAX, data->size() - *pos});
    memcpy(buffer, data->data() + *pos, count);
    return static_cast<long>(count);
}

long platform_read_head(int handle, char *buffer, size_t size) {
    size_t *pos = nullptr;
    const std::string *data = handle_data(handle, &pos);
    if (data == nullptr || (handle == PLATFORM_STDIN && state.input_pipe))
        return -1;
    size_t count = std::min(size, data->size());
    memcpy(buffer, data->data(), count);
    return static_cast<long>(count);
}

long platform_read_console_line(char *buffer, size_t size, size_t max_characters) {
    if (!state.console_input)
        return -1;
    if (state.input_pos == 0)
        state.flushed_at_input = state.out_flushed;
    // A console line: up to its CR LF, of which as many characters as asked for
    // are kept, and the LF of a CR LF after them; the rest of it is dropped.
    const char *line = state.input.data() + state.input_pos;
    size_t end = state.input.find('\n', state.input_pos);
    size_t length = (end == std::string::npos ? state.input.size() : end + 1) - state.input_pos;
    size_t used = 0;
    for (size_t characters = 0; used < length && characters < max_characters; ++characters)
        used += utf8_step(line + used, length - used);
    if (used < length && line[used] == '\n' && used > 0 && line[used - 1] == '\r')
        ++used;
    used = std::min(used, size);
    memcpy(buffer, line, used);
    state.input_pos += length;
    return static_cast<long>(used);
}

void platform_close(int handle) {
    if (handle >= 1 && handle <= 16 && open_files[handle - 1].used) {
        open_files[handle - 1].used = false;
        --state.open_handles;
    }
}

bool platform_stat(const char *path, FileStatus *status) {
    state.stat_paths.push_back(path);
    auto found = state.stats.find(path);
    if (found == state.stats.end())
        return false;
    *status = found->second;
    return true;
}

int platform_get_drive() {
    return state.current_drive;
}

int platform_change_drive(int drive) {
    state.drive_changes.push_back(drive);
    if (drive < 1 || drive > 26 || !state.drives[drive].ready)
        return -1;
    state.current_drive = drive;
    return 0;
}

int platform_get_drive_dir(int drive, char *buffer, size_t size) {
    if (drive == 0)
        drive = state.current_drive; // stays 0 off the lettered drives: drives[0]
    bool readable =
        drive >= 0 && drive <= 26 && state.drives[drive].ready && !state.drives[drive].dir.empty();
    if (readable && state.drives[drive].dir.size() < size) {
        const std::string &dir = state.drives[drive].dir;
        memcpy(buffer, dir.c_str(), dir.size() + 1);
        return static_cast<int>(dir.size());
    }
    // Nothing usable is left in the buffer: a caller that relies on it anyway
    // shows question marks.
    if (size > 0) {
        memset(buffer, '?', size - 1);
        buffer[size - 1] = '\0';
    }
    return readable ? static_cast<int>(state.drives[drive].dir.size()) : -1;
}

int platform_change_dir(const char *path) {
    state.dir_changes.push_back(path);
    if (*path == '\0' || state.current_drive < 0 || state.current_drive > 26)
        return -1;
    state.drives[state.current_drive].dir = path;
    return 0;
}

bool platform_get_env(const char *name, char *buffer, size_t size) {
    auto found = state.env.find(name);
    if (found == state.env.end() || found->second.size() >= size)
        return false;
    memcpy(buffer, found->second.c_str(), found->second.size() + 1);
    return true;
}

// The fake's working directory is /work.
long platform_full_path(const char *path, char *buffer, size_t size) {
    std::string full = path[0] == '/' ? path : std::string("/work/") + path;
    if (full.size() >= size)
        return -1;
    memcpy(buffer, full.c_str(), full.size() + 1);
    return static_cast<long>(full.size());
}

long platform_short_path(const char *path, char *buffer, size_t size) {
    auto found = state.short_paths.find(path);
    std::string brief = found == state.short_paths.end() ? path : found->second;
    if (brief.size() >= size)
        return -1;
    memcpy(buffer, brief.c_str(), brief.size() + 1);
    return static_cast<long>(brief.size());
}

unsigned platform_batch_code_page() {
    return 850;
}

bool platform_batch_can_hold(const char *text, size_t length) {
    return platform_can_write_out(text, length);
}

// The batch code page takes one byte a character, as a single-byte code page does.
size_t platform_batch_length(const char *text, size_t length) {
    return utf8_count(text, length);
}

static bool writable(const std::string &path) {
    return std::none_of(state.unwritable.begin(), state.unwritable.end(),
                        [&](const std::string &folder) { return path.rfind(folder, 0) == 0; });
}

PlatformCreated platform_write_new_file(const char *path, const char *text, size_t length) {
    if (state.files.count(path) != 0 || state.dirs.count(path) != 0)
        return ALREADY_EXISTS;
    if (!writable(path))
        return CREATE_FAILED;
    state.files[path] = std::string(text, length);
    return CREATED;
}

PlatformCreated platform_make_new_dir(const char *path) {
    if (state.files.count(path) != 0 || state.dirs.count(path) != 0)
        return ALREADY_EXISTS;
    if (!writable(path))
        return CREATE_FAILED;
    state.dirs.insert(path);
    return CREATED;
}

bool platform_remove_file(const char *path) {
    return state.files.erase(path) == 1;
}

// Only an empty directory goes.
bool platform_remove_dir(const char *path) {
    const std::string below = std::string(path) + "/";
    auto holds = [&](const std::string &entry) { return entry.rfind(below, 0) == 0; };
    for (const auto &[file, content] : state.files) {
        if (holds(file))
            return false;
    }
    if (std::any_of(state.dirs.begin(), state.dirs.end(), holds))
        return false;
    return state.dirs.erase(path) == 1;
}

bool platform_list_dir(const char *path, void (*visit)(const PlatformEntry &entry, void *context),
                       void *context) {
    const std::string folder = std::string(path) + "/";
    if (state.dirs.count(path) == 0)
        return false;
    // A copy: the visitor may remove entries.
    std::map<std::string, bool> entries; // name -> is a directory
    for (const auto &[file, content] : state.files)
        entries[file] = false;
    for (const std::string &dir : state.dirs)
        entries[dir] = true;
    for (const auto &[entry, directory] : entries) {
        if (entry.rfind(folder, 0) != 0 || entry.find('/', folder.size()) != std::string::npos)
            continue;
        auto found = state.modified.find(entry);
        int64_t modified = found != state.modified.end() ? found->second : state.now;
        std::string name = entry.substr(folder.size());
        visit(PlatformEntry{name.c_str(), directory, !directory, modified}, context);
    }
    return true;
}

int64_t platform_now() {
    return state.now;
}

uint32_t platform_random() {
    if (state.random_next < state.randoms.size())
        return state.randoms[state.random_next++];
    return static_cast<uint32_t>(state.random_next++);
}

long platform_registry_query(const char *key_path, const char *value_name, char *buffer,
                             size_t size) {
    auto found = state.registry.find(std::string(key_path) + "\\" + value_name);
    if (found == state.registry.end() || found->second.size() > size)
        return -1;
    memcpy(buffer, found->second.data(), found->second.size());
    return static_cast<long>(found->second.size());
}

RunResult run(const std::vector<std::string> &args) {
    // The program may modify its arguments in place, as it would its real argv.
    std::vector<std::vector<char>> storage;
    storage.push_back({'t', 'a', 'r', 'v', 'e', 'l', 'i', 'x', '\0'});
    for (const std::string &arg : args) {
        storage.emplace_back(arg.begin(), arg.end());
        storage.back().push_back('\0');
    }
    std::vector<char *> argv;
    for (auto &arg : storage)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    state.out.clear();
    state.err.clear();
    try {
        run_command(static_cast<int>(storage.size()), argv.data());
    } catch (const ExitCalled &exit) {
        return RunResult{state.out, state.err, exit.code};
    }
}

RunResult run(std::initializer_list<std::string> args) {
    return run(std::vector<std::string>(args));
}

RunResult run_test_mode(const std::vector<std::string> &args) {
    std::vector<std::string> all{"X", "-t"};
    all.insert(all.end(), args.begin(), args.end());
    return run(all);
}

std::string repeat(const std::string &text, size_t count) {
    std::string result;
    result.reserve(text.size() * count);
    for (size_t i = 0; i < count; ++i)
        result += text;
    return result;
}
