@echo off
rem Names, text and paths beyond ASCII and beyond 259 characters, as cmd.exe
rem hands them over. unicode_paths.setup.sh made what a batch file in code
rem page 437 cannot spell, for cmd to enumerate: in names\ a Cyrillic folder
rem holding a Cyrillic .txt (10 bytes, lines one and two, the newer) and a CJK
rem .dat (3 bytes); in latin\ a folder Jos<e acute> with marker.txt; the folder
rem "dir with space" (newer than plain.txt); sub; and long.txt 318 characters
rem deep below deep\. Each case prints standard output, standard error after a
rem [stderr] mark, and the errorlevel.
set "HERE=%CD%"

echo --- Cyrillic and CJK names reach isdir, length, filesize, read and update
for /d %%D in (names\*) do call :names "%%D"
echo --- a value that code page 437 cannot hold ends the run: one line, no set line
for /d %%D in (names\*) do call :count X -t set "%%~nxD"

echo --- a Latin name written in code page 437 comes back through a called batch file
for /d %%D in (latin\*) do tarvelix.exe OLD -t chdir "%%D" >go.bat
call go.bat
if exist marker.txt (echo in the folder, OLD=%OLD%) else (echo not in the folder)
cd /d "%HERE%"

echo --- a quoted directory keeps its trailing backslash: "%%~dp0", then two arguments
call :run X -t isdir "%~dp0"
call :run X -t update "dir with space\" plain.txt
echo --- isdir: a trailing slash, a bare drive letter (its working directory)
call :run X -t isdir sub/
call :run X -t isdir M:

set A=aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa
set "DEEP=deep\%A%\%A%\%A%\%A%\%A%"
echo --- paths beyond 259 characters, relative and absolute
call :run X -t filesize "%DEEP%\long.txt"
call :run X -t filesize "%HERE%\%DEEP%\long.txt"
call :run X -t isdir "%DEEP%"
call :run X -t isdir "%HERE%\%DEEP%\"
call :run X -t read "%DEEP%\long.txt" 2
exit /b 0

:run
"%HERE%\tarvelix.exe" %* >"%HERE%\out.txt" 2>"%HERE%\err.txt"
call :show %errorlevel%
goto :eof

:show
type "%HERE%\out.txt"
echo [stderr]
type "%HERE%\err.txt"
echo [exit=%1]
goto :eof

rem (Wine's cmd expands neither a for variable in the set of a nested for, nor
rem a quoted wildcard: the folder comes as %1.)
:names
call :run X -t isdir "%~1"
call :run X -t length "%~nx1"
for %%F in (%~1\*.txt) do call :run X -t filesize "%%F"
for %%F in (%~1\*.txt) do call :run X -t read "%%F" 2
for %%G in (%~1\*.dat) do call :run X -t filesize "%%G"
for %%F in (%~1\*.txt) do for %%G in (%~1\*.dat) do call :run X -t update "%%F" "%%G"
goto :eof

rem The errorlevel, the number of lines on standard output and whether one of
rem them is a set line, for output whose text depends on the message.
:count
tarvelix.exe %* >out.txt 2>err.txt
set CODE=%errorlevel%
set LINES=0
set SETLINE=no
for /f "usebackq tokens=1" %%W in ("out.txt") do (
    set /a LINES+=1
    if /i "%%W"=="set" set SETLINE=yes
)
echo [exit=%CODE%] lines on standard output: %LINES%, a set line: %SETLINE%
goto :eof
