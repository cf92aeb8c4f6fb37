// nword, word, findw, findm, finds and parse: the function's arguments as a
// list of words. Comparisons are byte-wise and case-sensitive, and a match
// never begins or ends inside a character; -u and -l have already folded
// every argument.
#include <cstring>

#include "functions/functions.h"
#include "support/letters.h"
#include "support/numbers.h"
#include "support/results.h"

// The word at an index counted from the index argument itself: 0 is the index
// text, 1 the first word. Past the last word, or negative: the empty text.
static void word_into(const Call &call) {
    int32_t index = parse_number(call.args[0]);
    if (index < 0 || index >= call.count)
        return;
    const char *word = call.args[index];
    set_text_result(call.result, word, strlen(word));
}

// True when the word begins with the wanted text's bytes and they end where a
// character of the word ends: the first byte of "é" does not begin "é".
static bool begins_with(const char *word, const char *wanted, size_t wanted_length) {
    return strncmp(word, wanted, wanted_length) == 0 &&
           utf8_cut(word, strlen(word), wanted_length) == wanted_length;
}

// Position (from 1 at the first word after the searched one) of the first word
// equal to the searched word, or beginning with it when prefix is set; 0 when
// none does.
static int32_t find_word(const Call &call, bool prefix) {
    const char *wanted = call.args[0];
    size_t wanted_length = strlen(wanted);
    for (int i = 1; i < call.count; ++i) {
        bool found = prefix ? begins_with(call.args[i], wanted, wanted_length)
                            : strcmp(call.args[i], wanted) == 0;
        if (found)
            return i;
    }
    return 0;
}

// Position (in characters, from 1) of the first occurrence of the substring
// in the text that begins and ends where characters of the text do, 0 when
// there is none; the empty substring is found at 1. Bytes that match inside a
// character (the second byte of "é", say) are passed over.
static int32_t find_substring(const char *substring, const char *text) {
    size_t substring_length = strlen(substring), text_length = strlen(text);
    // A character boundary of the text, and the characters before it.
    size_t boundary = 0, characters = 0;
    for (const char *found = strstr(text, substring); found != nullptr;
         found = strstr(found + 1, substring)) {
        size_t at = static_cast<size_t>(found - text), end = at + substring_length;
        for (; boundary < at; ++characters)
            boundary += utf8_step(text + boundary, text_length - boundary);
        if (boundary == at && utf8_cut(text, text_length, end) == end)
            return static_cast<int32_t>(characters + 1);
    }
    return 0;
}

// Stores the words after the first one, joined by one blank, under the rest
// variable that the first argument names (when it begins with a letter), then
// leaves the first word as the result.
static void parse_into(const Call &call) {
    // Both results are checked before either is stored.
    const char *first = call.count >= 2 ? call.args[1] : "";
    check_result_length(utf8_count(first, strlen(first)));
    if (is_letter(call.args[0][0])) {
        check_name_settable(call.args[0]);
        size_t characters = 0;
        for (int i = 2; i < call.count; ++i)
            characters += (i > 2 ? 1 : 0) + utf8_count(call.args[i], strlen(call.args[i]));
        check_result_length(characters);
        size_t out = 0;
        for (int i = 2; i < call.count; ++i) {
            if (i > 2)
                call.result[out++] = ' ';
            size_t word_length = strlen(call.args[i]);
            memcpy(call.result + out, call.args[i], word_length);
            out += word_length;
        }
        call.result[out] = '\0';
        store_result(call.args[0], call.result, call.flags);
        memset(call.result, 0, RESULT_SIZE);
    }
    if (call.count >= 2)
        set_text_result(call.result, call.args[1], strlen(call.args[1]));
}

Outcome handle_nword(const Call &call) {
    return integer_outcome(call.count, 0);
}

Outcome handle_word(const Call &call) {
    word_into(call);
    return text_outcome(0);
}

Outcome handle_findw(const Call &call) {
    return integer_outcome(find_word(call, false), 0);
}

Outcome handle_findm(const Call &call) {
    return integer_outcome(find_word(call, true), 0);
}

Outcome handle_finds(const Call &call) {
    int32_t position = find_substring(call.args[0], call.args[1]);
    return integer_outcome(position, position);
}

Outcome handle_parse(const Call &call) {
    parse_into(call);
    return text_outcome(0);
}
