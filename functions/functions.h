// The function library: one handler per family or per function, called by the
// runner's dispatcher with the function id of the matched table row.
#pragma once

#include "runner/runner.h"

// add (1), sub (2), div (3), mul and mult (4).
Outcome arithmetic(int id, const Call &call);

// filedrive and filedrv (11), filedir (12), fileddir (13), filename (14), fileext (15).
Outcome file_name_part(int id, const Call &call);
// endslash (71): 1 when the last argument ends with a backslash.
Outcome endslash(const Call &call);

// filesize (16), filetime (17), update (18), isdir (34).
Outcome file_status_function(int id, const Call &call);

// curdrive and curdrv (31), curdir (32), curddir (33), chdir (35), drvrdy and
// driveready (41).
Outcome drive_function(int id, const Call &call);

// set (53), ltrim (54), rtrim (55), trim (56), left (57), right (58), substr (59),
// length (60), remblank (61).
Outcome string_function(int id, const Call &call);

// nword (62), word (63), findw (64), findm (65), finds (66), parse (67).
Outcome word_function(int id, const Call &call);

// read (51): one numbered read of a text file.
Outcome read_line(const Call &call);
// ask (52): a question, then the first character of the reply as an answer number.
Outcome ask(const Call &call);

// qvstatus (72): the run status from a status file's last "SET QORCOD=" line.
Outcome qvstatus(const Call &call);
// setexit (73): a number as result and exit code.
Outcome setexit(const Call &call);

// setqortop (68): the product's top directory from the registry.
Outcome setqortop(const Call &call);
// Reads the registry value "qortop" of the product's "korvo" key into buffer as
// zero-ended text; 0 on success, 1 (and the empty text) otherwise.
int read_install_root(char *buffer, size_t size = RESULT_SIZE);
