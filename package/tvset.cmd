@setlocal EnableExtensions
@set "_tvdelayed=" & if "!!"=="" set "_tvdelayed=1"
@setlocal DisableDelayedExpansion
@set "NoDefaultCurrentDirectoryInExePath=1"
@set "_tvexe=%~dp0tarvelix.exe"
@if not exist "%_tvexe%" set "_tvexe=tarvelix.exe"
@set "_tvtemp=%TEMP%"
@if not exist "%_tvtemp%" set "_tvtemp=%temp%"
@set "_tvupper=%E_tvset%"
@set "errorlevel="
@"%_tvexe%" -tvset %*
@if not defined _tvupper set "_tvid=%ERRORLEVEL%"
@if defined _tvupper set "_tvid=%errorlevel%"
@if %_tvid% lss 1048576 endlocal & endlocal & exit /b %_tvid%
@set "_tvgo=exit /b 12"
@set /p "_tvgo=" <"%_tvtemp%\%_tvid%.tvs"
@del "%_tvtemp%\%_tvid%.tvs" 2>nul
@endlocal & endlocal & %_tvgo%
@exit /b

tvset.cmd: puts the value of a tarvelix function into a variable of the
calling script, and keeps tarvelix's exit code as the errorlevel.
  call tvset.cmd NAME [options] function args...

cmd.exe never reads these lines: the one above ends every call. Each line
above begins with "@" and none is a block, label or FOR loop, so that echo
stays as the caller has it, and nothing in the caller's state changes how the
lines read.

How it works. tvset.cmd runs tarvelix.exe (the one beside it, else the first
on the PATH) as "tarvelix.exe -tvset NAME ...". Instead of printing "set"
lines, the program writes one line of batch commands into the file
<TEMP>\<number>.tvs and ends with that number as its exit code. tvset.cmd
reads the line with set /p, deletes the file, and runs the line after its
last endlocal, in the calling script. The line sets a plain value itself, as
set "NAME=42" (no quote, "%", "!", "^" or control character in it), and takes
any other value with set "NAME=" & set /p "NAME=" <file from a file of its own,
which leaves the text as it stands; it removes the folder of those files,
changes drive and directory for chdir, and ends with "exit /b" and the
function's exit code. So cmd never acts on a value: "%", "!", "^", "&" and the
like stay text.

An exit code below 1048576 is a fatal error or the usage screen (already shown
on standard error), or cmd.exe's 9009 for a tarvelix.exe it cannot find: it is
passed on as it is, and nothing is assigned.

Why the lines look as they do:
- Wine's cmd.exe puts the value of the caller's active FOR variable into any
  "%X" of a called batch file, where X is that variable's letter: %TEMP%
  breaks in a "for %%T" loop, %temp% in a "for %%t" one. So every variable of
  tvset.cmd begins with "_". TEMP is read in upper case, and in lower case
  when that names no folder. %E_tvset% is empty unless a loop over %%E is
  active: then the exit code is read as %errorlevel%, else as %ERRORLEVEL%;
  both on one line would not do, as a broken "%" pairs with the next one, and
  Wine's "set" makes the errorlevel 0. (Loops over both %%E and %%e at once,
  or over both %%T and %%t, are beyond this.)
- NoDefaultCurrentDirectoryInExePath makes Windows' cmd.exe look for a
  tarvelix.exe that is not beside tvset.cmd on the PATH only, not in the
  current folder (Wine's cmd.exe looks there all the same).
- A variable named "errorlevel" hides the exit code from %errorlevel%: it is
  cleared inside setlocal, so the caller keeps it.
- "!!" is empty only with delayed expansion on: the program then puts a caret
  before each "!" and "^" of a directory that chdir moves to (Windows keeps the
  "!" then; Wine's cmd.exe does not).
- The program reads _tvtemp (TEMP as tvset.cmd sees it) and _tvdelayed from
  its environment, and picks the folder for the values itself: one without
  "!" or "%", short enough for cmd.exe, whose name the console's code page
  holds (TEMP first, then its short form, then TMP, LOCALAPPDATA, USERPROFILE).
