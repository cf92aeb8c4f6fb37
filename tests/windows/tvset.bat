@echo off
rem tvset.cmd takes a value into the calling script. values.txt (from
rem tvset.setup.sh) holds texts full of special characters; "read" brings them
rem in, so that no command line carries them. "set NAME" shows a variable as it
rem is. Wine's "call" turns every non-zero exit code of a batch file into 1,
rem so exact codes come through "cmd /q /c tvset.cmd", which keeps them.
rem TEMP is a folder of this test's own, where no other test runs tvset.cmd.
set "PATH=%~dp0;%PATH%"
md temp
set "TEMP=%~dp0temp"

echo --- every value arrives unchanged, with delayed expansion off and on
for /l %%L in (1,1,9) do call :value %%L
setlocal EnableDelayedExpansion
for /l %%L in (1,1,9) do call :value %%L
endlocal

echo --- the exit code is kept, after a value or with none (. and _NULL_)
call tvset.cmd TVDIFF sub 1 5
if errorlevel 1 set TVDIFF
for %%C in ("TVDIFF sub 1 5" "TVDIFF -q div 1 0" "TVEXIT setexit 12" "TVPOS finds l abcdefghijkl" ".x setexit 7" "_null_ setexit 7") do call :code %%~C
call tvset.cmd TVEXIT setexit 12
call tvset.cmd TVPOS finds l abcdefghijkl
set TVEXIT
set TVPOS

echo --- an empty value removes the variable
set TVAL=old
call tvset.cmd TVAL set ""
if not defined TVAL echo TVAL is not defined

echo --- a fatal error and the usage screen go to standard error and assign nothing
set TVAL=old
for %%C in ("TVAL add 1 x" "TVAL -z add 1 2" "TVAL") do call :fails %%~C
set TVAL

echo --- parse sets both variables; options and quoted arguments pass unchanged
call tvset.cmd TVITEM parse tvlist alpha "beta  gamma" delta
set TVITEM
set TVLIST
call tvset.cmd TVUP -u -v set "Two  words"
set TVUP
set "SALT=Salt & Pepper"
call tvset.cmd TVTEXT set "50%%%% off, %%SALT%%"
set TVTEXT
call tvset.cmd TVDIR endslash "%~dp0"
set TVDIR

echo --- ask reads standard input and shows no question
call tvset.cmd TVANSWER ask "Go on?" <yes.txt
set TVANSWER
cmd /q /c tvset.cmd TVANSWER ask "Go on?" <yes.txt
echo errorlevel %errorlevel%

echo --- chdir moves the caller to another drive and directory
md sub
cd /d C:\
call tvset.cmd BACK chdir M:\tvset\sub
echo %CD%, came from %BACK%
call tvset.cmd BACK chdir C:\windows
echo %CD%, came from %BACK%
call tvset.cmd BACK chdir ..
echo %CD%, came from %BACK%
cd /d M:\tvset

echo --- without tarvelix.exe beside it or on the PATH; without a TEMP folder
md lone
copy tvset.cmd lone\ >nul
setlocal
set "PATH=C:\windows\system32"
cmd /q /c lone\tvset.cmd X add 1 2 2>err.txt
echo errorlevel %errorlevel%
type err.txt
endlocal
setlocal
set "TEMP=%~dp0none"
cmd /q /c tvset.cmd X add 1 2 2>err.txt
echo errorlevel %errorlevel%
type err.txt
if not exist none echo no folder made
endlocal

echo --- calls that assign nothing leave nothing behind: no variable, no folder
set TVAL=3
set >env-before.txt
call tvset.cmd TVAL add 1 2
call tvset.cmd .x setexit 7
call tvset.cmd _null_ set y
call tvset.cmd TVAL add 1 x 2>nul
call tvset.cmd TVAL -z add 1 2 2>nul
call tvset.cmd NOSUCH set ""
set >env-after.txt
for %%F in (env-before.txt) do for %%G in (env-after.txt) do if %%~zF==%%~zG echo the environment is as it was
dir /b temp
echo --- echo stays on
echo on
call tvset.cmd X add 1 2
rem echo is on
@echo off
exit /b 0

:value
set TVAL=old
call tvset.cmd TVAL read values.txt %1
set TVAL
goto :eof

:code
cmd /q /c tvset.cmd %*
echo %*: errorlevel %errorlevel%
goto :eof

:fails
cmd /q /c tvset.cmd %* >out.txt 2>err.txt
echo %*: errorlevel %errorlevel%
for %%F in (out.txt) do echo standard output: %%~zF bytes
set SHOWN=
for /f "usebackq delims=" %%L in ("err.txt") do (if not defined SHOWN (echo standard error: %%L& set SHOWN=1))
