@echo off
rem The command line as cmd.exe hands it over: usage screens, bad input, quoting
rem and backslash rules of the C runtime, wildcards and very long lines.
rem Each case prints standard output, standard error after a [stderr] mark, and
rem the errorlevel.

echo --- usage: no arguments
tarvelix.exe >out.txt 2>err.txt
call :show %errorlevel%
echo --- usage: variable name only
tarvelix.exe X >out.txt 2>err.txt
call :show %errorlevel%
echo --- usage: variable name begins with a minus
tarvelix.exe -v X add 1 2 >out.txt 2>err.txt
call :show %errorlevel%
echo --- usage: option letters are case-sensitive
tarvelix.exe X -U add 1 2 >out.txt 2>err.txt
call :show %errorlevel%

echo --- an unknown function is reported before an invalid option
tarvelix.exe X -z nosuch >out.txt 2>err.txt
call :show %errorlevel%
echo --- function names are case-sensitive
tarvelix.exe X ADD 1 2 >out.txt 2>err.txt
call :show %errorlevel%
echo --- an empty function name
tarvelix.exe X "" >out.txt 2>err.txt
call :show %errorlevel%
echo --- too few arguments
tarvelix.exe X add 1 >out.txt 2>err.txt
call :show %errorlevel%

rem 99 arguments are accepted, a 100th is one too many.
set ARGS=
for /l %%i in (1,1,99) do call set "ARGS=%%ARGS%% -1"
echo --- 99 arguments
tarvelix.exe X -t add %ARGS% >out.txt 2>err.txt
call :show %errorlevel%
echo --- 100 arguments
tarvelix.exe X -t add %ARGS% 1 >out.txt 2>err.txt
call :show %errorlevel%

rem Names of 10, 160, 63, 64 and 200 letters.
set NAME=abcdefghij
set NAME=%NAME%%NAME%
set NAME=%NAME%%NAME%
set NAME=%NAME%%NAME%
set NAME=%NAME%%NAME%
echo --- variable name of 63 characters
tarvelix.exe %NAME:~0,63% -t add 1 2 >out.txt 2>err.txt
call :show %errorlevel%
echo --- variable name of 64 characters
tarvelix.exe %NAME:~0,64% -t add 1 2 >out.txt 2>err.txt
call :show %errorlevel%
echo --- variable name of 200 characters
tarvelix.exe %NAME%%NAME:~0,40% -t add 1 2 >out.txt 2>err.txt
call :show %errorlevel%

echo --- a quoted argument with a blank is one argument
tarvelix.exe X -t add "1 2" 3 >out.txt 2>err.txt
call :show %errorlevel%
echo --- a quoted variable name with blanks
tarvelix.exe "my var" -v add 2 3 >out.txt 2>err.txt
call :show %errorlevel%
echo --- quoted numbers
tarvelix.exe X -t add "2" "-3" >out.txt 2>err.txt
call :show %errorlevel%
echo --- a quoted text keeps its blanks
tarvelix.exe X -t set "  a  b  " >out.txt 2>err.txt
call :show %errorlevel%
echo --- escaped quotes inside a quoted text
tarvelix.exe X -t set "say \"hi\"" >out.txt 2>err.txt
call :show %errorlevel%
echo --- empty quoted arguments count as arguments
tarvelix.exe X -t add "" "" >out.txt 2>err.txt
call :show %errorlevel%

rem The C runtime's rules: 2n backslashes before a quote give n backslashes and
rem the quote delimits; 2n+1 give n backslashes and a literal quote, except
rem inside a quoted stretch before a blank, a tab or the end of the line, where
rem they give n+1 backslashes and the quote closes the stretch (so that "C:\dir\"
rem is C:\dir\); other backslashes are literal. Each line has an even number of
rem quotes, so that cmd.exe still sees the redirections.
echo --- escaped quotes do not open a quoted stretch: the next arguments stand apart
tarvelix.exe X\"Y\" -v add 2 3 >out.txt 2>err.txt
call :show %errorlevel%
echo --- inside a quoted stretch \" before a blank closes it: A\ is the name, and b"
echo --- opens a stretch that takes the rest as the function name
tarvelix.exe "a\" b\"" -v add 2 3 >out.txt 2>err.txt
call :show %errorlevel%
echo --- two backslashes before a closing quote give one
tarvelix.exe "a\\" -v add 2 3 >out.txt 2>err.txt
call :show %errorlevel%
echo --- three backslashes before a quote give one and a quote
tarvelix.exe a\\\"b\" -v add 2 3 >out.txt 2>err.txt
call :show %errorlevel%
echo --- backslashes before other characters are literal
tarvelix.exe a\b\\c\ -v add 2 3 >out.txt 2>err.txt
call :show %errorlevel%

echo a>a.txt
echo b>b.txt
echo --- wildcards arrive literally as the function name
tarvelix.exe X *.txt >out.txt 2>err.txt
call :show %errorlevel%
echo --- wildcards arrive literally as the variable name
tarvelix.exe *.txt -v add 1 2 >out.txt 2>err.txt
call :show %errorlevel%
echo --- wildcards arrive literally as an argument: one argument, not two file names
tarvelix.exe X -t add ?.txt >out.txt 2>err.txt
call :show %errorlevel%

rem A 7,990-character word: command lines of about 8,000 characters.
set LONG=1234567890
set LONG=%LONG%%LONG%
set LONG=%LONG%%LONG%
set LONG=%LONG%%LONG%
set LONG=%LONG%%LONG%
set LONG=%LONG%%LONG%
set LONG=%LONG%%LONG%
set LONG=%LONG%%LONG%
set LONG=%LONG%%LONG%
set LONG=%LONG%%LONG%
set LONG=%LONG%%LONG:~0,2870%
echo --- a 7,990-digit number wraps around
tarvelix.exe X -t add %LONG% 1 >out.txt 2>err.txt
call :show %errorlevel%
echo --- a 7,990-character function name is shown whole in the message
tarvelix.exe X %LONG% >out.txt 2>err.txt
call :show %errorlevel%
echo --- a 7,990-character variable name
tarvelix.exe %LONG% -t add 1 2 >out.txt 2>err.txt
call :show %errorlevel%
exit /b 0

:show
type out.txt
echo [stderr]
type err.txt
echo [exit=%1]
goto :eof
