// The rows of the function table.
#include "runner/function_table.h"

#include <cstring>

#include "functions/functions.h"

// Lookup and usage listing both follow this order. Every row is made while
// compiling (constinit), so the table needs no start-up code.
constinit const FunctionEntry function_table[FUNCTION_COUNT] = {
    {"add", "num1 num2 ...", 2, 99, handle_add},
    {"sub", "num1 num2 ...", 2, 99, handle_sub},
    {"div", "num1 num2 ...", 2, 99, handle_div},
    {"mul", "num1 num2 ...", 2, 99, handle_mul},
    {"mult", "num1 num2 ...", 2, 99, handle_mul},
    {"filedrive", "filespec", 1, 1, handle_filedrive},
    {"filedrv", "filespec", 1, 1, handle_filedrive},
    {"filedir", "filespec", 1, 1, handle_filedir},
    {"fileddir", "filespec", 1, 1, handle_fileddir},
    {"filename", "filespec", 1, 1, handle_filename},
    {"fileext", "filespec", 1, 1, handle_fileext},
    {"filesize", "filespec", 1, 1, handle_filesize},
    {"filetime", "filespec", 1, 1, handle_filetime},
    {"update", "source target", 2, 2, handle_update},
    {"curdrive", "", 0, 0, handle_curdrive},
    {"curdrv", "", 0, 0, handle_curdrive},
    {"curdir", "[drive]", 0, 1, handle_curdir},
    {"curddir", "[drive]", 0, 1, handle_curddir},
    {"isdir", "directory", 1, 1, handle_isdir},
    {"chdir", "drive_and_or_dir", 1, 1, handle_chdir},
    {"drvrdy", "drive", 1, 1, handle_drvrdy},
    {"driveready", "drive", 1, 1, handle_drvrdy},
    {"read", "filespec line", 2, 2, handle_read},
    {"ask", "[\"question\"] [options_in[]]", 0, 2, handle_ask},
    {"set", "string", 1, 1, handle_set},
    {"setqortop", "string", 0, 0, handle_setqortop},
    {"ltrim", "string", 1, 1, handle_ltrim},
    {"rtrim", "string", 1, 1, handle_rtrim},
    {"trim", "string", 1, 1, handle_trim},
    {"left", "length string", 2, 2, handle_left},
    {"right", "length string", 2, 2, handle_right},
    {"substr", "begin length string", 3, 3, handle_substr},
    {"length", "string", 1, 1, handle_length},
    {"remblank", "string", 1, 1, handle_remblank},
    {"nword", "word1 word2 ...", 0, 99, handle_nword},
    {"word", "index word1 ...", 1, 99, handle_word},
    {"findw", "word word1 word2 ...", 2, 99, handle_findw},
    {"findm", "word word1 word2 ...", 2, 99, handle_findm},
    {"finds", "substr string", 2, 2, handle_finds},
    {"parse", "{rest_var | -} word1 ...", 1, 99, handle_parse},
    {"endslash", "directory", 1, 99, handle_endslash},
    {"qvstatus", "runid.cod", 1, 1, handle_qvstatus},
    {"setexit", "errorlevel", 1, 1, handle_setexit},
};

const FunctionEntry *find_function(const char *name) {
    for (const FunctionEntry &entry : function_table) {
        if (strcmp(entry.name, name) == 0)
            return &entry;
    }
    return nullptr;
}
