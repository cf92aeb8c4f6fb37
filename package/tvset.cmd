@setlocal EnableExtensions
@set "_tvdelayed=" & if "!!"=="" set "_tvdelayed=1"
@setlocal DisableDelayedExpansion
@set "NoDefaultCurrentDirectoryInExePath=1" & set "_tvexe=%~dp0tarvelix.exe"
@if not exist "%_tvexe%" set "_tvexe=tarvelix.exe"
@set "_tvupper=%E_tvset%" & set "errorlevel=" & set "_tvrun=" & set _tvrun 2>nul
@"%_tvexe%" -tvset %*
@if not defined _tvupper set "_tvid=%ERRORLEVEL%"
@if defined _tvupper set "_tvid=%errorlevel%"
@if %_tvid% lss 1048576 endlocal & endlocal & exit /b %_tvid%
@setlocal EnableDelayedExpansion
@set "_tvf=!TMP!"
@if %_tvid% geq 17825792 set "_tvf=!TEMP!"
@if %_tvid% geq 34603008 set "_tvf=!USERPROFILE!"
@set /a "_tvq=_tvid&1"
@if %_tvq%==1 set "_tvf=%_tvf:~1,-1%"
@endlocal & set "_tvf=%_tvf%" & set "_tvgo=exit /b 12"
@set /p "_tvgo=" <"%_tvf%\%_tvid%.tvs"
@del "%_tvf%\%_tvid%.tvs" 2>nul
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
lines, the program writes one line of batch commands into a file
<folder>\<number>.tvs and ends with that number as its exit code. tvset.cmd
reads the line with set /p, deletes the file, and runs the line after its
last endlocal, in the calling script. The line has a fixed grammar: it sets
a value that cmd does not act on itself, as set "NAME=42", and takes any
other value with set "NAME=" & set /p "NAME=" <file from a file of its own,
which leaves the text as it stands; it changes drive and directory for chdir
in one command, cd /d "X:dir"; it removes the folder of the value files; and
it ends with "exit /b" and the function's exit code. So cmd never acts on a
value: "%", "!", "^", "&" and the like stay text.

An exit code below 1048576 is the function's own when there is nothing to
hand over, a fatal error or the usage screen (already shown on standard
error), or cmd.exe's 9009 for a tarvelix.exe it cannot find: it is passed on
as it is. "set _tvrun" of the variable just removed makes the errorlevel 1
first, so that a call whose program cmd.exe cannot run (a command line too
long ends the batch file there) never passes for a success.

The folder is the first of TMP, TEMP and USERPROFILE (the order in which
Windows looks for its temporary folder) that can serve; the number says
which: from 1048576 TMP, from 17825792 TEMP, from 34603008 USERPROFILE, and
an odd number says that the variable's value stands between double quotes,
which are dropped. The program has checked that the value holds nothing that
cmd acts on, so that the lines above can use it.

Why the lines look as they do:
- Wine's cmd.exe puts the value of the caller's active FOR variable into any
  "%X" of a called batch file, where X is that variable's letter: %TMP%
  breaks in a "for %%T" loop. So every variable of tvset.cmd begins with "_",
  and TMP, TEMP and USERPROFILE are read as !TMP!, which has no "%".
  %E_tvset% is empty unless a loop over %%E is active: then the exit code is
  read as %errorlevel%, else as %ERRORLEVEL%; both on one line would not do,
  as a broken "%" pairs with the next one, and Wine's "set" makes the
  errorlevel 0. (Loops over both %%E and %%e at once are beyond this.)
- Wine's delayed expansion knows no ":~" or ":"=" forms, so the quotes go by
  %_tvf:~1,-1%.
- NoDefaultCurrentDirectoryInExePath makes Windows' cmd.exe look for a
  tarvelix.exe that is not beside tvset.cmd on the PATH only, not in the
  current folder (Wine's cmd.exe looks there all the same).
- A variable named "errorlevel" hides the exit code from %errorlevel%: it is
  cleared inside setlocal, so the caller keeps it.
- "!!" is empty only with delayed expansion on: the program then takes from a
  file what delayed expansion would change, a chdir's directory holding "!"
  included, and the line reads it as !_tvdir!.
