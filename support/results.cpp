// Recording a run's results, and the limits of names and results.
#include "support/results.h"

#include <cstring>

#include "platform/platform.h"
#include "support/batch_text.h"
#include "support/exits.h"
#include "support/letters.h"

static Delivery delivery = Delivery::PRINTED;
static RunResults results;

void results_start(Delivery how) {
    delivery = how;
    results.count = 0;
    results.change = DirectoryChange{false, "", false};
}

const RunResults &run_results() {
    return results;
}

void check_printable(const char *text) {
    if (!platform_can_write_out(text, strlen(text)))
        fail_code_page(text, platform_out_code_page());
}

void check_deliverable(const char *text) {
    if (delivery == Delivery::PRINTED)
        check_printable(text);
    else if (!platform_batch_can_hold(text, strlen(text)))
        fail_code_page(text, platform_batch_code_page());
}

void check_name_length(const char *name) {
    if (utf8_count(name, strlen(name)) > NAME_CHARACTERS)
        fatal({"Variable name longer than ", decimal(NAME_CHARACTERS).text, " characters"});
}

void check_result_length(size_t characters) {
    if (characters > RESULT_CHARACTERS)
        fatal({"Result longer than ", decimal(RESULT_CHARACTERS).text, " characters"});
}

// At most RESULT_CHARACTERS characters take at most RESULT_SIZE - 1 bytes.
void set_text_result(char *result, const char *text, size_t length) {
    check_result_length(utf8_count(text, length));
    memmove(result, text, length);
    result[length] = '\0';
}

bool name_stores(const char *name) {
    if (name[0] == '.' || name[0] == '\0')
        return false;
    const char null_name[] = "_NULL_";
    for (size_t i = 0; i < sizeof null_name; ++i) {
        if (upper_letter(name[i]) != null_name[i])
            return true;
    }
    return false;
}

void fail_cannot_set(const char *name, const char *value) {
    fatal({"Cannot set environment variable ", name, value != nullptr ? "=" : "",
           value != nullptr ? value : ""},
          Prefix::NONE);
}

void check_name_settable(char *name) {
    if (!name_stores(name))
        return;
    upper_text(name);
    // Handed over, the name must be one that a batch file can take whatever
    // the caller's state, delayed expansion on or off.
    if (strchr(name, '=') != nullptr ||
        (delivery == Delivery::HANDED_OVER && !batch_text_safe(name, true)))
        fail_cannot_set(name, nullptr);
}

void store_result(char *name, char *value, unsigned flags, bool reply) {
    if (name[0] == '.')
        return;
    fold_case(value, flags);
    upper_text(name);
    if (!name_stores(name))
        return;
    if (results.count == MAX_ASSIGNMENTS)
        fatal({"More than ", decimal(MAX_ASSIGNMENTS).text, " results in one run"});
    Assignment &assignment = results.assignments[results.count++];
    assignment.name = name;
    // A value is a result, which fits; the copy is bounded all the same.
    size_t length = 0;
    while (length + 1 < sizeof assignment.value && value[length] != '\0')
        ++length;
    memcpy(assignment.value, value, length);
    assignment.value[length] = '\0';
    assignment.reply = reply;
}

void record_directory_change(const char *target, bool has_drive) {
    results.change = DirectoryChange{true, target, has_drive};
    check_deliverable(target);
    if (delivery == Delivery::PRINTED && !batch_text_safe(change_dir(results.change), false))
        fatal({"Cannot print a cd command for a directory that holds \", % or a control "
               "character"});
}
