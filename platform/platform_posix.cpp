// POSIX stand-ins for the Windows operations.
//
// Drives: the whole file system is the single drive C: (number 3). Its working
// directory is "C:" followed by the POSIX working directory; every other drive
// letter names a drive that is not ready. Paths go to the system unchanged.
//
// Registry: a tree of directories below TARVELIX_REGISTRY_ROOT, fixed when the
// program is built. A key is a directory (each backslash-separated part of its
// path one level) and a value is a regular file in it whose bytes are the
// value's data. Names are compared as the file system does (case-sensitively).
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <cwctype>
#include <dirent.h>
#include <fcntl.h>
#include <locale.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/held_input.h"
#include "platform/platform.h"
#include "platform/unicode.h"

#ifndef TARVELIX_REGISTRY_ROOT
#define TARVELIX_REGISTRY_ROOT "/etc/tarvelix/registry"
#endif

static const int POSIX_DRIVE = 3; // C:

// The path of a registry value's file: the root, one directory per key part and
// the value's name, at most as long as the system takes a path, zero byte included.
static const size_t VALUE_PATH_SIZE = PATH_MAX;
static_assert(sizeof TARVELIX_REGISTRY_ROOT <= VALUE_PATH_SIZE,
              "TARVELIX_REGISTRY_ROOT is too long");

// No error dialogs to turn off, and every stream is binary. SIGPIPE is ignored:
// a reader that has gone fails the write, which then ends the run with
// EXIT_FATAL and a message, instead of killing the process without a word.
void platform_init() {
    signal(SIGPIPE, SIG_IGN);
}

// exit() rather than _exit(): coverage builds write their counters at exit.
void platform_exit(int code) {
    exit(code);
}

void platform_arguments(int *, char ***) {}

bool platform_set_env(const char *name, const char *value) {
    return setenv(name, value, 1) == 0;
}

void platform_write(PlatformStream stream, const char *data, size_t length) {
    if (stream == STREAM_OUT) {
        fwrite(data, 1, length, stdout);
    } else {
        // Standard error is unbuffered: nothing is held back at exit.
        fwrite(data, 1, length, stderr);
    }
}

// Bytes go out as they are: a POSIX terminal or file takes UTF-8.
bool platform_can_write_out(const char *, size_t) {
    return true;
}

unsigned platform_out_code_page() {
    return UTF8_CODE_PAGE;
}

// 8-bit text is UTF-8 here, passed on as it is; what does not fit is left out
// a whole character at a time.
size_t platform_text_to_utf8(const char *bytes, size_t length, char *out, size_t size) {
    size_t count = utf8_cut(bytes, length, size);
    memcpy(out, bytes, count);
    return count;
}

size_t platform_text_pass(const char *bytes, size_t length, size_t stop, size_t count,
                          size_t *characters) {
    return utf8_pass(bytes, length, stop, count, false, characters);
}

// C.UTF-8's character classes, made when first asked for; (locale_t)0 when
// the system lacks that locale.
static locale_t utf8_ctype() {
    static bool made = false;
    static locale_t locale = static_cast<locale_t>(0);
    if (!made) {
        made = true;
        locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    }
    return locale;
}

// The case of a character by towlower_l or towupper_l, which take Unicode code
// points where wide characters are ISO 10646; else only ASCII letters change.
static uint32_t mapped_case(uint32_t character, bool upper) {
#ifdef __STDC_ISO_10646__
    locale_t locale = utf8_ctype();
    if (locale != static_cast<locale_t>(0)) {
        auto wide = static_cast<wint_t>(character);
        return static_cast<uint32_t>(upper ? towupper_l(wide, locale) : towlower_l(wide, locale));
    }
#endif
    // GCOVR_EXCL_START: reached only without C.UTF-8's case mapping
    if (upper && character >= 'a' && character <= 'z')
        return character - 'a' + 'A';
    if (!upper && character >= 'A' && character <= 'Z')
        return character - 'A' + 'a';
    return character;
    // GCOVR_EXCL_STOP
}

uint32_t platform_lower_case(uint32_t character) {
    return mapped_case(character, false);
}

uint32_t platform_upper_case(uint32_t character) {
    return mapped_case(character, true);
}

bool platform_flush_out() {
    return fflush(stdout) == 0 && !ferror(stdout);
}

int platform_open_read(const char *path) {
    int fd;
    do {
        fd = open(path, O_RDONLY);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return -1;
    // A directory opens but cannot be read as a file.
    struct stat info;
    if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        close(fd);
        return -1;
    }
    return fd;
}

static long read_some(int handle, char *buffer, size_t size) {
    ssize_t count;
    do {
        count = read(handle, buffer, size);
    } while (count < 0 && errno == EINTR);
    return static_cast<long>(count);
}

long platform_read(int handle, char *buffer, size_t size) {
    long held = read_held(handle, buffer, size);
    return held >= 0 ? held : read_some(handle, buffer, size);
}

// A file gives peeked bytes back by seeking; a pipe or terminal cannot.
static bool seek_back(int handle, size_t count) {
    return lseek(handle, -static_cast<off_t>(count), SEEK_CUR) >= 0;
}

#ifdef __linux__
// tee(2) copies what a pipe holds into another pipe without taking it: a pipe
// is peeked through a private pipe of this process, which is emptied each time.
static int tee_pipe[2] = {-1, -1};

// True once the pipe's writers have all closed it.
static bool writers_gone(int handle) {
    pollfd state{handle, POLLIN, 0};
    return poll(&state, 1, 0) > 0 && (state.revents & POLLHUP) != 0;
}

// The peek of a pipe, or -2 when the handle is none or tee fails.
static long peek_pipe(int handle, char *buffer, size_t size, size_t least) {
    struct stat info;
    if (fstat(handle, &info) != 0 || !S_ISFIFO(info.st_mode) ||
        (tee_pipe[0] < 0 && pipe(tee_pipe) != 0))
        return -2;
    for (;;) {
        // Were the writers gone before the copy, no more can come after it.
        bool last = writers_gone(handle);
        // Waits for a first byte; 0 when the pipe is empty and has no writer.
        ssize_t copied = tee(handle, tee_pipe[1], size, 0);
        if (copied < 0 && errno == EINTR)
            continue;
        if (copied < 0)
            return -2;
        size_t got = 0;
        while (got < static_cast<size_t>(copied)) {
            long count = read_some(tee_pipe[0], buffer + got, static_cast<size_t>(copied) - got);
            if (count <= 0)
                return -1;
            got += static_cast<size_t>(count);
        }
        if (got >= least || last || copied == 0)
            return static_cast<long>(got);
        const timespec moment{0, 1000000}; // 1 ms for the writer to write more
        nanosleep(&moment, nullptr);
    }
}
#endif

long platform_peek(int handle, char *buffer, size_t size, size_t least) {
    bound_peek(&size, &least);
#ifdef __linux__
    long peeked = peek_pipe(handle, buffer, size, least);
    if (peeked != -2)
        return peeked;
#endif
    return peek_by_reading(handle, buffer, size, least, read_some, seek_back);
}

long platform_read_head(int handle, char *buffer, size_t size) {
    ssize_t count;
    do {
        count = pread(handle, buffer, size, 0);
    } while (count < 0 && errno == EINTR);
    return static_cast<long>(count);
}

// A terminal gives its bytes like any other input.
long platform_read_console_line(char *, size_t, size_t) {
    return -1;
}

void platform_close(int handle) {
    forget_held(handle);
    close(handle);
}

bool platform_stat(const char *path, FileStatus *status) {
    struct stat info;
    if (stat(path, &info) != 0)
        return false;
    status->size = static_cast<int64_t>(info.st_size);
    status->modified = static_cast<int64_t>(info.st_mtime);
    status->is_directory = S_ISDIR(info.st_mode);
    return true;
}

int platform_get_drive() {
    return POSIX_DRIVE;
}

int platform_change_drive(int drive) {
    return drive == POSIX_DRIVE ? 0 : -1;
}

int platform_get_drive_dir(int drive, char *buffer, size_t size) {
    if (drive != 0 && drive != POSIX_DRIVE)
        return -1;
    if (size < 3)
        return static_cast<int>(size);
    buffer[0] = 'C';
    buffer[1] = ':';
    if (getcwd(buffer + 2, size - 2) == nullptr) {
        buffer[0] = '\0';
        return errno == ERANGE ? static_cast<int>(size) : -1;
    }
    return static_cast<int>(strlen(buffer));
}

int platform_change_dir(const char *path) {
    return chdir(path);
}

bool platform_get_env(const char *name, char *buffer, size_t size) {
    const char *value = getenv(name);
    if (value == nullptr || strlen(value) >= size)
        return false;
    memcpy(buffer, value, strlen(value) + 1);
    return true;
}

// Joins a relative path to the working directory; "." and ".." are left to
// the system, which resolves them as it reads the path.
long platform_full_path(const char *path, char *buffer, size_t size) {
    size_t length = strlen(path);
    if (path[0] == '/') {
        if (length >= size)
            return -1;
        memcpy(buffer, path, length + 1);
        return static_cast<long>(length);
    }
    if (getcwd(buffer, size) == nullptr)
        return -1;
    size_t used = strlen(buffer);
    if (used + 1 + length >= size)
        return -1;
    buffer[used++] = '/';
    memcpy(buffer + used, path, length + 1);
    return static_cast<long>(used + length);
}

// POSIX file systems have no short names.
long platform_short_path(const char *path, char *buffer, size_t size) {
    size_t length = strlen(path);
    if (length >= size)
        return -1;
    memcpy(buffer, path, length + 1);
    return static_cast<long>(length);
}

unsigned platform_batch_code_page() {
    return UTF8_CODE_PAGE;
}

bool platform_batch_can_hold(const char *, size_t) {
    return true;
}

size_t platform_batch_length(const char *, size_t length) {
    return length;
}

static PlatformCreated creation_failure() {
    return errno == EEXIST ? ALREADY_EXISTS : CREATE_FAILED;
}

// The folder that platform_make_new_dir made last, held open: files are made
// in it through this handle, so that no one who renames the folder and puts
// a link or a folder of their own in its place receives them.
static char made_dir[PATH_MAX];
static int made_dir_handle = -1;

// The handle of the folder that the path's file lies in, when that is the
// folder made last, and the file's name in it; else AT_FDCWD and the path.
static int folder_handle(const char *path, const char **name) {
    const char *slash = strrchr(path, '/');
    size_t folder_length = slash != nullptr ? static_cast<size_t>(slash - path) : 0;
    if (made_dir_handle >= 0 && slash != nullptr && strlen(made_dir) == folder_length &&
        memcmp(made_dir, path, folder_length) == 0) {
        *name = slash + 1;
        return made_dir_handle;
    }
    *name = path;
    return AT_FDCWD;
}

PlatformCreated platform_write_new_file(const char *path, const char *text, size_t length) {
    const char *name = nullptr;
    int folder = folder_handle(path, &name);
    int fd;
    do {
        fd = openat(folder, name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return creation_failure();
    size_t written = 0;
    while (written < length) {
        ssize_t count = write(fd, text + written, length - written);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            break;
        written += static_cast<size_t>(count);
    }
    bool whole = close(fd) == 0 && written == length;
    if (!whole)
        unlinkat(folder, name, 0);
    return whole ? CREATED : CREATE_FAILED;
}

PlatformCreated platform_make_new_dir(const char *path) {
    if (strlen(path) >= sizeof made_dir)
        return CREATE_FAILED;
    if (mkdir(path, 0700) != 0)
        return creation_failure();
    // Opened at once and checked: a real folder of this user that no one
    // else may enter. Should another have slipped a link or a folder of their
    // own in its place, it is not used, and not removed either.
    int fd = open(path, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat info;
    if (fd < 0 || fstat(fd, &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != geteuid() ||
        (info.st_mode & 077) != 0) {
        if (fd >= 0)
            close(fd);
        return CREATE_FAILED;
    }
    if (made_dir_handle >= 0)
        close(made_dir_handle);
    made_dir_handle = fd;
    memcpy(made_dir, path, strlen(path) + 1);
    return CREATED;
}

bool platform_remove_file(const char *path) {
    const char *name = nullptr;
    int folder = folder_handle(path, &name);
    return unlinkat(folder, name, 0) == 0;
}

bool platform_remove_dir(const char *path) {
    return rmdir(path) == 0;
}

bool platform_list_dir(const char *path, void (*visit)(const PlatformEntry &entry, void *context),
                       void *context) {
    DIR *dir = opendir(path);
    if (dir == nullptr)
        return false;
    for (const dirent *entry = readdir(dir); entry != nullptr; entry = readdir(dir)) {
        const char *name = entry->d_name;
        if (strcmp(name, ".") == 0 || strcmp(name, "..") == 0)
            continue;
        struct stat info;
        if (fstatat(dirfd(dir), name, &info, AT_SYMLINK_NOFOLLOW) != 0)
            continue; // gone meanwhile
        visit(PlatformEntry{name, S_ISDIR(info.st_mode), S_ISREG(info.st_mode),
                            static_cast<int64_t>(info.st_mtime)},
              context);
    }
    closedir(dir);
    return true;
}

int64_t platform_now() {
    return static_cast<int64_t>(time(nullptr));
}

uint32_t platform_random() {
    uint32_t value = 0;
    // GCOVR_EXCL_START: getentropy fails only where the kernel lacks getrandom
    if (getentropy(&value, sizeof value) != 0)
        value =
            static_cast<uint32_t>(getpid()) * 2654435761u ^ static_cast<uint32_t>(time(nullptr));
    // GCOVR_EXCL_STOP
    return value;
}

// Appends one key or value name to the path. Names that a directory tree
// cannot hold as one entry below its parent ("", ".", "..", anything with
// "/") are refused, so that no lookup leaves the registry tree.
static bool append_registry_name(char *path, size_t size, size_t *length, const char *name,
                                 size_t name_length) {
    if (name_length == 0 || memchr(name, '/', name_length) != nullptr ||
        (name_length == 1 && name[0] == '.') ||
        (name_length == 2 && name[0] == '.' && name[1] == '.'))
        return false;
    if (*length + 1 + name_length >= size)
        return false;
    path[(*length)++] = '/';
    memcpy(path + *length, name, name_length);
    *length += name_length;
    path[*length] = '\0';
    return true;
}

long platform_registry_query(const char *key_path, const char *value_name, char *buffer,
                             size_t size) {
    char path[VALUE_PATH_SIZE];
    size_t length = strlen(TARVELIX_REGISTRY_ROOT);
    memcpy(path, TARVELIX_REGISTRY_ROOT, length + 1);
    // Each backslash-separated part of the key is one directory.
    for (const char *part = key_path;;) {
        const char *stop = strchr(part, '\\');
        size_t part_length = stop != nullptr ? static_cast<size_t>(stop - part) : strlen(part);
        if (!append_registry_name(path, sizeof path, &length, part, part_length))
            return -1;
        if (stop == nullptr)
            break;
        part = stop + 1;
    }
    if (!append_registry_name(path, sizeof path, &length, value_name, strlen(value_name)))
        return -1;

    // Only a regular file is a value: a FIFO or a device could block or never end.
    int fd;
    do {
        fd = open(path, O_RDONLY | O_NONBLOCK);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return -1;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return -1;
    }
    // Read one byte more than fits, to tell data that is too large.
    size_t total = 0;
    long count = 0;
    while (total < size && (count = read_some(fd, buffer + total, size - total)) > 0)
        total += static_cast<size_t>(count);
    if (count >= 0 && total == size) {
        char extra;
        count = read_some(fd, &extra, 1) == 0 ? 0 : -1;
    }
    close(fd);
    return count < 0 ? -1 : static_cast<long>(total);
}
