// Letters and white space of the C locale: ASCII only; other bytes pass
// through every conversion unchanged.
#pragma once

inline bool is_lower_letter(char c) {
    return c >= 'a' && c <= 'z';
}
inline bool is_upper_letter(char c) {
    return c >= 'A' && c <= 'Z';
}
inline bool is_letter(char c) {
    return is_lower_letter(c) || is_upper_letter(c);
}
inline char upper_letter(char c) {
    return is_lower_letter(c) ? static_cast<char>(c - 'a' + 'A') : c;
}
inline char lower_letter(char c) {
    return is_upper_letter(c) ? static_cast<char>(c - 'A' + 'a') : c;
}

// The C white-space class: blank, tab, line end, vertical tab, form feed, CR.
inline bool is_c_space(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// Converts text in place to upper case.
void upper_text(char *text);

// Converts text in place to upper case under UPPER, else to lower case under
// LOWER (flags are OptionFlags).
void fold_case(char *text, unsigned flags);
