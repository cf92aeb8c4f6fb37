// curdrive, curdir, curddir, chdir and drvrdy: the current drive, the working
// directory of a drive, changing both, and whether a drive is ready.
#include <cstring>

#include "functions/functions.h"
#include "platform/platform.h"
#include "support/letters.h"
#include "support/results.h"

// Letter and colon in front of a working directory.
inline constexpr size_t DRIVE_PREFIX = 2;
// Room for a working directory whose result, once the letter and colon are
// gone, still fits the result buffer.
inline constexpr size_t DIR_SIZE = RESULT_SIZE + DRIVE_PREFIX;
inline constexpr int NO_DRIVE = -1;

// The drive number named by a letter (a or A is 1); NO_DRIVE for anything else,
// the empty text included, which is then answered as a drive that cannot be read.
static int drive_number(char letter) {
    if (!is_letter(letter))
        return NO_DRIVE;
    return upper_letter(letter) - 'A' + 1;
}

// The drive named by the optional argument; 0 (the current drive) without one.
static int argument_drive(const Call &call) {
    return call.count == 0 ? 0 : drive_number(call.args[0][0]);
}

// Reads the working directory of a drive (0: the current one) into dir, which
// holds DIR_SIZE bytes. Returns its length, or -1 when the drive cannot be read.
// A directory too long for dir ends the run: even without its letter and colon
// it would not fit the result.
static int read_drive_dir(int drive, char *dir) {
    if (drive == NO_DRIVE)
        return -1;
    int length = platform_get_drive_dir(drive, dir, DIR_SIZE);
    if (length < 0)
        return -1;
    // Bytes that do not fit dir hold more than RESULT_CHARACTERS characters,
    // letter and colon aside, since no character takes more than UTF8_MAX bytes.
    if (static_cast<size_t>(length) >= DIR_SIZE)
        check_result_length(RESULT_CHARACTERS + 1);
    return length;
}

// "A:" with the letter advanced to the current drive; drive 0 gives "@:".
Outcome handle_curdrive(const Call &call) {
    call.result[0] = static_cast<char>('A' + platform_get_drive() - 1);
    call.result[1] = ':';
    return text_outcome(0);
}

// The working directory without its first two characters, whatever they are;
// the empty text when the drive cannot be read.
Outcome handle_curdir(const Call &call) {
    char dir[DIR_SIZE];
    int length = read_drive_dir(argument_drive(call), dir);
    if (length >= 0) {
        size_t skip = static_cast<size_t>(length) < DRIVE_PREFIX ? length : DRIVE_PREFIX;
        set_text_result(call.result, dir + skip, static_cast<size_t>(length) - skip);
    }
    return text_outcome(0);
}

// The working directory with its letter; "A:\" when the drive cannot be read.
Outcome handle_curddir(const Call &call) {
    set_text_result(call.result, "A:\\", 3);
    char dir[DIR_SIZE];
    int length = read_drive_dir(argument_drive(call), dir);
    if (length >= 0)
        set_text_result(call.result, dir, static_cast<size_t>(length));
    return text_outcome(0);
}

// The directory that chdir leaves, its result: the working directory of the
// current drive without a trailing backslash. The empty text when it cannot be
// read, or is too long for a result: the script must be able to leave a deep
// folder too.
static void read_leaving_dir(char *result) {
    char dir[DIR_SIZE];
    int length = platform_get_drive_dir(0, dir, DIR_SIZE);
    if (length < 0 || static_cast<size_t>(length) >= DIR_SIZE)
        return;
    auto kept = static_cast<size_t>(length);
    if (kept > 0 && dir[kept - 1] == '\\')
        --kept;
    if (utf8_count(dir, kept) <= RESULT_CHARACTERS)
        set_text_result(result, dir, kept);
}

// Changes drive and directory (under TEST: makes the drive current and leaves
// the change of directory to the script, recorded with the results) and
// yields the directory that was current before.
Outcome handle_chdir(const Call &call) {
    read_leaving_dir(call.result);
    const char *target = call.args[0];
    // Only a letter names a drive: any other byte before ":" is part of the directory.
    bool has_drive = is_letter(target[0]) && target[1] == ':';
    // Nothing is printed unless all of it, the "set" line too, can be shown.
    if (call.flags & TEST) {
        check_deliverable(call.result);
        record_directory_change(target, has_drive);
    }
    if (has_drive)
        platform_change_drive(drive_number(target[0]));
    const char *dir = target + (has_drive ? DRIVE_PREFIX : 0);
    if (!(call.flags & TEST) && dir[0] != '\0')
        platform_change_dir(dir);
    return text_outcome(0);
}

// 2 when the drive can be made current (the current drive is then restored),
// else 0. A working directory off the lettered drives (drive 0) has no number
// that could be made current again, and a drive number outside A to Z is an
// invalid parameter to the runtime, so none is passed.
Outcome handle_drvrdy(const Call &call) {
    int drive = drive_number(call.args[0][0]);
    int answer = 0;
    if (drive != NO_DRIVE) {
        int remembered = platform_get_drive();
        if (platform_change_drive(drive) == 0) {
            if (remembered >= 1 && remembered <= DRIVE_COUNT)
                platform_change_drive(remembered);
            answer = 2;
        }
    }
    return integer_outcome(answer, answer);
}
