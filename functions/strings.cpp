// set, ltrim, rtrim, trim, left, right, substr, length and remblank: copying,
// trimming, cutting and measuring one text argument. Every one ends with exit
// code 0; a copy that would not fit the result buffer ends the run.
#include <cstring>

#include "functions/functions.h"
#include "support/numbers.h"
#include "support/results.h"

// Only the space and the horizontal tab count as blanks here.
static bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

// Copies the stretch of text between the first and the last character that the
// trim keeps, found in one scan. An empty or all-blank text gives nothing.
static void trim_into(char *result, const char *text, bool leading, bool trailing) {
    size_t length = strlen(text);
    size_t first = length; // first non-blank character, length when there is none
    size_t end = 0;        // one past the last non-blank character
    for (size_t i = 0; i < length; ++i) {
        if (is_blank(text[i]))
            continue;
        if (first == length)
            first = i;
        end = i + 1;
    }
    if (first == length)
        return; // empty or all blanks: every trim gives the empty text
    size_t begin = leading ? first : 0;
    size_t stop = trailing ? end : length;
    set_text_result(result, text + begin, stop - begin);
}

// The first count characters; none for a count of 0 or less.
static void left_into(char *result, int32_t count, const char *text) {
    if (count <= 0)
        return;
    size_t length = strlen(text);
    set_text_result(result, text, utf8_skip(text, length, static_cast<size_t>(count)));
}

// The last count characters; none for a count of 0 or less.
static void right_into(char *result, int32_t count, const char *text) {
    if (count <= 0)
        return;
    size_t length = strlen(text);
    size_t characters = utf8_count(text, length);
    size_t keep = static_cast<size_t>(count) < characters ? static_cast<size_t>(count) : characters;
    size_t skip = utf8_skip(text, length, characters - keep);
    set_text_result(result, text + skip, length - skip);
}

// Up to count characters from position begin (counted from 1); none when the
// begin lies outside the text or the count is 0 or less.
static void substr_into(char *result, int32_t begin, int32_t count, const char *text) {
    size_t length = strlen(text);
    if (count <= 0 || begin <= 0)
        return;
    size_t start = utf8_skip(text, length, static_cast<size_t>(begin) - 1);
    if (start == length)
        return;
    size_t take = utf8_skip(text + start, length - start, static_cast<size_t>(count));
    set_text_result(result, text + start, take);
}

// The text with every blank removed; refused before anything is written when
// even the blank-free text would not fit.
static void remblank_into(char *result, const char *text) {
    size_t kept = 0;
    size_t length = strlen(text);
    for (size_t i = 0; i < length;) {
        size_t step = utf8_step(text + i, length - i);
        if (!is_blank(text[i]))
            ++kept;
        i += step;
    }
    check_result_length(kept);
    size_t out = 0;
    for (const char *c = text; *c; ++c) {
        if (!is_blank(*c))
            result[out++] = *c;
    }
    result[out] = '\0';
}

Outcome handle_set(const Call &call) {
    set_text_result(call.result, call.args[0], strlen(call.args[0]));
    return text_outcome(0);
}

Outcome handle_ltrim(const Call &call) {
    trim_into(call.result, call.args[0], true, false);
    return text_outcome(0);
}

Outcome handle_rtrim(const Call &call) {
    trim_into(call.result, call.args[0], false, true);
    return text_outcome(0);
}

Outcome handle_trim(const Call &call) {
    trim_into(call.result, call.args[0], true, true);
    return text_outcome(0);
}

Outcome handle_left(const Call &call) {
    left_into(call.result, parse_number(call.args[0]), call.args[1]);
    return text_outcome(0);
}

Outcome handle_right(const Call &call) {
    right_into(call.result, parse_number(call.args[0]), call.args[1]);
    return text_outcome(0);
}

Outcome handle_substr(const Call &call) {
    int32_t begin = parse_number(call.args[0]);
    int32_t count = parse_number(call.args[1]);
    substr_into(call.result, begin, count, call.args[2]);
    return text_outcome(0);
}

Outcome handle_length(const Call &call) {
    return integer_outcome(static_cast<int32_t>(utf8_count(call.args[0], strlen(call.args[0]))), 0);
}

Outcome handle_remblank(const Call &call) {
    remblank_into(call.result, call.args[0]);
    return text_outcome(0);
}
