// The function library: one handler per function name of the table (aliases
// share theirs). Each returns the outcome of one call.
#pragma once

#include <cstddef>

#include "support/call.h"

// Integer arithmetic over 2 to 99 numbers.
Outcome handle_add(const Call &call);
Outcome handle_sub(const Call &call);
Outcome handle_div(const Call &call);
Outcome handle_mul(const Call &call); // mul and mult

// Pieces of a filespec, and whether a directory ends with a backslash.
Outcome handle_filedrive(const Call &call); // filedrive and filedrv
Outcome handle_filedir(const Call &call);
Outcome handle_fileddir(const Call &call);
Outcome handle_filename(const Call &call);
Outcome handle_fileext(const Call &call);
Outcome handle_endslash(const Call &call);

// File status.
Outcome handle_filesize(const Call &call);
Outcome handle_filetime(const Call &call);
Outcome handle_update(const Call &call);
Outcome handle_isdir(const Call &call);

// Drives and working directories.
Outcome handle_curdrive(const Call &call); // curdrive and curdrv
Outcome handle_curdir(const Call &call);
Outcome handle_curddir(const Call &call);
Outcome handle_chdir(const Call &call);
Outcome handle_drvrdy(const Call &call); // drvrdy and driveready

// Strings.
Outcome handle_set(const Call &call);
Outcome handle_ltrim(const Call &call);
Outcome handle_rtrim(const Call &call);
Outcome handle_trim(const Call &call);
Outcome handle_left(const Call &call);
Outcome handle_right(const Call &call);
Outcome handle_substr(const Call &call);
Outcome handle_length(const Call &call);
Outcome handle_remblank(const Call &call);

// Word lists.
Outcome handle_nword(const Call &call);
Outcome handle_word(const Call &call);
Outcome handle_findw(const Call &call);
Outcome handle_findm(const Call &call);
Outcome handle_finds(const Call &call);
Outcome handle_parse(const Call &call);

// Line input: one numbered read of a text file; a question and its answer.
Outcome handle_read(const Call &call);
Outcome handle_ask(const Call &call);

// Run status: the code of a status file; a number as result and exit code.
Outcome handle_qvstatus(const Call &call);
Outcome handle_setexit(const Call &call);

// The product's top directory from the registry.
Outcome handle_setqortop(const Call &call);
// Reads the registry value "qortop" of the product's "korvo" key into buffer as
// zero-ended text; 0 on success, 1 (and the empty text) otherwise.
int read_install_root(char *buffer, size_t size = RESULT_SIZE);
