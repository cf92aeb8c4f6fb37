@echo off
rem tvset.cmd takes a value into the calling script. values.txt (from
rem tvset.setup.sh) holds texts full of special characters; "read" brings them
rem in, so that no command line carries them. "set NAME" shows a variable as it
rem is. Wine's "call" turns every non-zero exit code of a batch file into 1,
rem so exact codes come through "cmd /q /c tvset.cmd", which keeps them.
rem TMP and TEMP are a folder of this test's own, where no other test runs
rem tvset.cmd; "dir /b temp" at the end shows that nothing is left in it.
set "PATH=%~dp0;%PATH%"
md temp
set "TMP=%~dp0temp"
set "TEMP=%~dp0temp"

echo --- every value arrives unchanged, in a FOR loop, delayed expansion off and on
for /l %%q in (1,1,10) do (call tvset.cmd TVAL read values.txt %%q & set TVAL)
setlocal EnableDelayedExpansion
for /l %%r in (1,1,10) do (call tvset.cmd TVAL read values.txt %%r & set TVAL)
endlocal
for %%x in (values.txt) do call tvset.cmd TVAL read %%x 10
set TVAL

echo --- in a loop over any letter; echo stays off
for %%A in (1) do call tvset.cmd TVA add %%A 1
for %%t in (1) do call tvset.cmd TVT add %%t 2
for %%T in (1) do call tvset.cmd TVTT add %%T 3
for %%e in (1) do call tvset.cmd TVE add %%e 4
for %%E in (1) do call tvset.cmd TVEE add %%E 5
for %%d in (1) do call tvset.cmd TVD add %%d 6
for %%p in (1) do call tvset.cmd TVP add %%p 7
set TVA
set TVT
set TVE
set TVD
set TVP
rem no echo of this line

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
for %%C in ("TVAL add 1 x" "TVAL -z add 1 2" "TVAL" "TV=AL set x" "TV!AL set x" "TVAL read cr.txt 1") do call :fails %%~C
set TVAL
set errorlevel=0
call tvset.cmd TVAL add 1 x 2>nul
if errorlevel 1 echo a variable named errorlevel does not hide the failure
set "errorlevel="

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
md "bang!x"
cd /d C:\
call tvset.cmd BACK chdir M:\tvset\sub
echo %CD%, came from %BACK%
call tvset.cmd BACK chdir C:\windows
echo %CD%, came from %BACK%
call tvset.cmd BACK chdir ..
echo %CD%, came from %BACK%
call tvset.cmd BACK chdir "M:\tvset\bang!x"
echo %CD%, came from %BACK%
cd /d M:\tvset

echo --- a value and a TMP beyond ASCII, read by cmd in the console's code page
setlocal
call oem.bat
call tvset.cmd TVCOPY set "%%TVNAME%%"
if "%TVCOPY%"=="%TVNAME%" echo the copy equals the original
dir /b "%TMP%"
endlocal

echo --- any TMP: "!", relative, a drive root, 240 characters and more
setlocal
md "temp!x"
set "TMP=%~dp0temp!x"
setlocal EnableDelayedExpansion
call tvset.cmd TVBANG set "1%%%%"
echo !TVBANG!
endlocal
dir /b "temp!x"
set "TMP=temp"
call tvset.cmd BACK chdir sub
cd ..
set "TMP=M:\"
call tvset.cmd TVROOT add 2 2
set TVROOT
dir /b "M:\*.tvs" 2>nul
for /d %%L in (long\*) do set "TMP=%~dp0%%L\%%~nxL\%%~nxL\%%~nxL"
call tvset.cmd TVLONG add 3 3
set TVLONG
dir /b "%TMP%"
endlocal

echo --- TMP, TEMP and USERPROFILE in turn: quoted, unset, a device path, 212 characters
setlocal
set "TMP="
set TEMP="%~dp0te mp"
call tvset.cmd TQUOTED set "quoted%%%%"
set TQUOTED
dir /b "te mp"
set "TEMP="
set "TMP=%~dp0temp"
call tvset.cmd TUNSET set "unset%%%%"
set TUNSET
set "TMP=\\.\M:\tvset\temp"
set "TEMP=%~dp0temp"
call tvset.cmd TDEVICE set "device%%%%"
set TDEVICE
call names.bat
set "TMP=%~dp0%LONG212%"
call tvset.cmd %X63% parse %R63% "a%%%%" "b%%%%"
set %X63%
set %R63%
dir /b "%TMP%"
endlocal

echo --- text read from a file stays text in chdir: no command runs
call tvset.cmd DIR read inj.txt 1
call tvset.cmd OLD chdir "%%DIR%%" 2>nul
call tvset.cmd OLD chdir \":&echo.INJECTED&echo. 2>nul
if not exist pwned.txt echo no command ran
echo %CD%

echo --- chdir to a missing drive or folder leaves the script where it was
call tvset.cmd OLD chdir Q:\data 2>nul
echo %CD%
call tvset.cmd OLD chdir C:\no\such\dir 2>nul
echo %CD%

echo --- a call that cmd cannot run is no success
set "T=1234567890"
for /l %%i in (1,1,9) do call set "T=%%T%%%%T%%"
set "T=%T%%T:~0,3040%"
set TVLEN=old
ver >nul
call tvset.cmd TVLEN length "%%T%%" 2>nul
if errorlevel 1 echo the errorlevel says so
set TVLEN
set "T="

echo --- -t prints and assigns nothing; -v prints and assigns
set TTEST=old
call tvset.cmd TTEST -t add 1 2
set TTEST
call tvset.cmd TVERBOSE -v add 1 2
set TVERBOSE

echo --- without tarvelix.exe beside it or on the PATH; without a folder for files
md lone
copy tvset.cmd lone\ >nul
setlocal
set "PATH=C:\windows\system32"
cd lone
cmd /q /c tvset.cmd X add 1 2 2>nul
echo errorlevel %errorlevel%
cd ..
endlocal
setlocal
set "TMP=%~dp0none"
set "TEMP=%~dp0none"
set "USERPROFILE=%~dp0none"
cmd /q /c tvset.cmd X add 1 2 2>err.txt
echo errorlevel %errorlevel%
type err.txt
if not exist none echo no folder made
endlocal

echo --- calls from scripts that run at the same time never cross
for %%W in (1 2 3) do start "" /b cmd /q /c worker.bat %%W
rem The probe sleeps while it waits: a loop here would take the processor from
rem the workers.
platform_probe.exe wait 200 done1.txt wait 200 done2.txt wait 200 done3.txt
if exist bad.txt type bad.txt
if not exist bad.txt echo every call got its own value

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
fc env-before.txt env-after.txt >nul && echo the environment is as it was
dir /b temp
echo --- echo stays on
echo on
call tvset.cmd X add 1 2
rem echo is on
@echo off
exit /b 0

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
