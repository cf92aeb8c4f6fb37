@rem tvset.cmd: puts the value of a tarvelix function into a variable of the
@rem calling script, and keeps tarvelix's exit code as the errorlevel.
@rem   call tvset.cmd NAME [options] function args...
@rem It runs tarvelix.exe (the one beside this file, else the first on the PATH)
@rem with the same arguments and -t, into a folder of its own in %TEMP%, then
@rem carries out in the caller what the printed lines say: "set NAME=value"
@rem assigns, "X:" and "cd "dir"" (from chdir) change drive and directory. The
@rem usage screen or a fatal error is copied to standard error instead, and
@rem nothing is assigned.
@rem
@rem The value is never parsed by cmd: it travels in FOR variables, which cmd
@rem does not parse, and is assigned by set "NAME=value" after the last
@rem endlocal. With delayed expansion on in the caller, that set would expand
@rem "!" in the value, so a line holding "!" is assigned from a file of its own
@rem by set /p, which takes the text as it stands.
@rem
@rem Echo is turned off once the folder exists, and on again at the end if it
@rem was on. Wine's cmd differs from Windows' in ways that shape the code: it
@rem shows the labels it passes and the further lines of a block when echo is
@rem on; it runs no if-else that is a bare FOR body, and inside parentheses it
@rem ends an if's command at "&" (hence the parentheses around if bodies); its
@rem md leaves the errorlevel as it was. It also substitutes FOR variables
@rem again inside the text it has put in, so a value holding %q or %r would be
@rem changed: the FOR variables that carry text are q and r, rarely found after
@rem a % sign.
@setlocal EnableExtensions
@set "tv_de=" & if "!!"=="" set "tv_de=1"
@setlocal DisableDelayedExpansion
@for %%V in (tv_exe tv_d tv_rc tv_echo tv_first tv_n1 tv_n2) do @set "%%V="

@set "tv_exe=%~dp0tarvelix.exe"
@if not exist "%tv_exe%" for %%P in (tarvelix.exe) do @set "tv_exe=%%~$PATH:P"
@if not defined tv_exe ((>&2 echo tvset: tarvelix.exe is neither beside tvset.cmd nor on the PATH) & endlocal & endlocal & exit /b 9009)

@rem The folder has a name that no other run holds: one that does not exist
@rem yet, which md then makes (on Windows md fails if another run made it first).
@if exist "%TEMP%\" call :tv_folder
@if exist "%TEMP%\" if not defined tv_d call :tv_retry
@if not defined tv_d ((>&2 echo tvset: cannot make a temporary folder in "%TEMP%") & endlocal & endlocal & exit /b 12)

@rem "echo" alone prints the echo setting, in the language of the system.
@>"%tv_d%\e1" echo
@echo off
>"%tv_d%\e2" echo
for /f "usebackq delims=" %%A in ("%tv_d%\e1") do (for /f "usebackq delims=" %%B in ("%tv_d%\e2") do (if not "%%A"=="%%B" set "tv_echo=1"))

rem The arguments go through a file: FOR splits off NAME and hands the rest to
rem tarvelix as it stands, with -t between them.
>"%tv_d%\args" echo:x %*
for /f "usebackq tokens=2*" %%q in ("%tv_d%\args") do ("%tv_exe%" %%q -t %%r >"%tv_d%\out" & call set "tv_rc=%%errorlevel%%")
rem Without even NAME, tarvelix alone shows the usage screen.
if not defined tv_rc ("%tv_exe%" >"%tv_d%\out" & call set "tv_rc=%%errorlevel%%")

rem With exit code 11 or 12, output that does not begin with a "set" line is
rem the usage screen or a fatal error (setexit, finds, qvstatus and ask may end
rem with 11 or 12 after printing a value).
for /f "usebackq tokens=1" %%q in ("%tv_d%\out") do (if not defined tv_first (if "%%q"=="set" (set "tv_first=set") else set "tv_first=other"))
if "%tv_first%%tv_rc%"=="other11" goto tv_fail
if "%tv_first%%tv_rc%"=="other12" goto tv_fail

rem Drive and cd lines go to the file a; each set line to s1 or s2, then to a
rem or, holding "!" in a caller with delayed expansion, to the value file v1
rem or v2.
for /f "usebackq tokens=1*" %%q in ("%tv_d%\out") do (if "%%q"=="set" (if exist "%tv_d%\s1" (>"%tv_d%\s2" echo:%%q %%r) else (>"%tv_d%\s1" echo:%%q %%r)) else (>>"%tv_d%\a" echo:%%q %%r))
if exist "%tv_d%\s1" call :tv_line 1
if exist "%tv_d%\s2" call :tv_line 2

rem One line: it is read, and its % variables expanded, before the first endlocal.
endlocal & endlocal & (if exist "%tv_d%\a" (for /f "usebackq tokens=1*" %%q in ("%tv_d%\a") do (if "%%q"=="set" (set "%%r") else if "%%q"=="cd" (if not %%r=="" cd %%r) else cd /d %%q))) & (if not "%tv_n1%"=="" (set "%tv_n1:~4%=" & set /p "%tv_n1:~4%=" <"%tv_d%\v1")) & (if not "%tv_n2%"=="" (set "%tv_n2:~4%=" & set /p "%tv_n2:~4%=" <"%tv_d%\v2")) & rd /s /q "%tv_d%" & (if "%tv_echo%"=="1" echo on) & exit /b %tv_rc%

:tv_fail
type "%tv_d%\out" >&2
rd /s /q "%tv_d%"
endlocal & endlocal & (if "%tv_echo%"=="1" echo on) & exit /b %tv_rc%

:tv_line
rem Set line %1, in the file s%1 as "set NAME=value": to the file a, or to v%1.
set "tv_bang="
if defined tv_de for /f "usebackq delims=" %%q in ("%tv_d%\s%1") do (>"%tv_d%\m%1" echo:%%q#)
if defined tv_de for /f "usebackq tokens=2 delims=!" %%q in ("%tv_d%\m%1") do (set "tv_bang=1")
if not defined tv_bang (type "%tv_d%\s%1" >>"%tv_d%\a" & goto :eof)
rem FOR drops the "=" signs that begin the value together with the one after
rem NAME; the line is longer by their number than the line without them.
for /f "usebackq tokens=1* delims==" %%q in ("%tv_d%\s%1") do (set "tv_n%1=%%q" & >"%tv_d%\t%1" echo:%%q=%%r)
for %%F in ("%tv_d%\s%1") do set "tv_k=%%~zF"
for %%F in ("%tv_d%\t%1") do set /a "tv_k-=%%~zF"
set "tv_eq="
:tv_eq
if %tv_k% gtr 0 (set "tv_eq=%tv_eq%=" & set /a tv_k-=1 & goto tv_eq)
for /f "usebackq tokens=1* delims==" %%q in ("%tv_d%\s%1") do (>"%tv_d%\v%1" echo:%tv_eq%%%r)
goto :eof

:tv_folder
@set "tv_d=%TEMP%\tvset-%RANDOM%-%RANDOM%"
@if exist "%tv_d%" (set "tv_d=") else (call )
@if defined tv_d md "%tv_d%" 2>nul
@if errorlevel 1 set "tv_d="
@if defined tv_d if not exist "%tv_d%\" set "tv_d="
@goto :eof

:tv_retry
@for /l %%I in (1,1,50) do @if not defined tv_d call :tv_folder
@goto :eof
