// The usage screen, byte for byte.
#pragma once

inline const char *const USAGE_TEXT = R"(
tarvelix (03/13/2017)

tarvelix - A batch utility for string, registry and other manipulations

tarvelix env_var options function arg1 arg2 ...

Where options are:
      -u      return results in upper case
      -l      return results in lower case
      -v      verbose (display var=value)
      -t      test (don't actually set the variable)

Functions and arguments are:
  add         num1 num2 ...
  sub         num1 num2 ...
  div         num1 num2 ...
  mul         num1 num2 ...
  mult        num1 num2 ...
  filedrive   filespec
  filedrv     filespec
  filedir     filespec
  fileddir    filespec
  filename    filespec
  fileext     filespec
  filesize    filespec
  filetime    filespec
  update      source target
  curdrive    
  curdrv      
  curdir      [drive]
  curddir     [drive]
  isdir       directory
  chdir       drive_and_or_dir
  drvrdy      drive
  driveready  drive
  read        filespec line
  ask         ["question"] [options_in[]]
  set         string
  setqortop   string
  ltrim       string
  rtrim       string
  trim        string
  left        length string
  right       length string
  substr      begin length string
  length      string
  remblank    string
  nword       word1 word2 ...
  word        index word1 ...
  findw       word word1 word2 ...
  findm       word word1 word2 ...
  finds       substr string
  parse       {rest_var | -} word1 ...
  endslash    directory
  qvstatus    runid.cod
  setexit     errorlevel
Note: integer functions also set errorlevel
      (0 for negative number, 1 for zero, 2 for positive number)
      qvstatus set errorlevel from runid.cod as
      (0:normal, 1:warning, 2:error, 3:severe error, 4:terminal error)
)";
