// Text in a line of batch commands that cmd.exe runs: which characters it
// acts on, so that outside text never becomes part of a command.
#pragma once

#include <cstddef>

// True for a character that cmd.exe acts on in a line it runs, even between
// double quotes. Each with its reason:
//   "        opens and closes the quoted stretch that keeps & | < > ( ) as text
//   %        Wine's cmd.exe puts the caller's FOR variable into "%X" even in
//            text that a variable brought into the line
//   control  a line feed ends the line, a carriage return is dropped, and
//            the others (Ctrl-Z, NUL) end or cut what cmd reads
//   ! and ^  with delayed expansion on only: "!" expands a variable, and a
//            caret then escapes the next character
bool cmd_acts_on(char c, bool delayed);

// True when cmd.exe acts on none of the text's characters.
bool batch_text_safe(const char *text, size_t length, bool delayed);
bool batch_text_safe(const char *text, bool delayed);
