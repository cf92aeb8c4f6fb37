@echo off
rem String, word-list and file-name functions on arguments as cmd.exe and the C
rem runtime hand them over: quoted words with blanks, backslashes before quotes.
rem Each case prints standard output, standard error after a [stderr] mark, and
rem the errorlevel.

echo --- a quoted word with blanks is one word
call :run X -t nword a "b c" d
call :run X -t word 2 a "b c"
echo --- parse: the rest variable first, its words joined by one blank
call :run X -t parse rest one "two three" four
echo --- finds: the position is also the errorlevel
call :run X -t finds lo hello
echo --- trim: quoted blanks and tabs reach the function
call :run X -t trim " 	 a  b 	"

rem Inside a quoted stretch, \" before a blank or the end of the line keeps the
rem backslash and closes the stretch: "C:\dir\" arrives as C:\dir\, as does
rem "C:\dir\\". Outside quotes \" is a literal quote, as in the C runtime:
rem C:\"dir\\\" arrives as C:"dir\" (its closing quote is ignored). All give 1.
echo --- endslash: unquoted, quoted, a literal quote at the end, two words, empty
call :run X -t endslash C:\dir\
call :run X -t endslash C:\dir
call :run X -t endslash "C:\dir\"
call :run X -t endslash "C:\dir\\"
call :run X -t endslash C:\"dir\\\"
call :run X -t endslash "My Documents\\"
call :run X -t endslash My Documents\
call :run X -t endslash ""

echo --- the parts of a file name
call :run X -t filedrive C:\a\b.c\d.txt
call :run X -t filedir C:\a\b.c\d.txt
call :run X -t fileddir C:\a\b.c\d.txt
call :run X -t filename C:\a\b.c\d.txt
call :run X -t fileext C:\a\b.c\d.txt
echo --- a quoted name with blanks; -u and -l fold the result
call :run X -t -u filename "C:\My Files\read me.txt"
call :run X -t -l fileext "C:\My Files\READ.ME.TXT"
exit /b 0

:run
tarvelix.exe %* >out.txt 2>err.txt
call :show %errorlevel%
goto :eof

:show
type out.txt
echo [stderr]
type err.txt
echo [exit=%1]
goto :eof
