@echo off
rem Line input, run status and the install-root lookup on real files, redirected
rem input and the registry. input_status.setup.sh made lf.txt and crlf.txt (the
rem lines one, two, three), long.txt and longcr.txt (lines of 255 and 254
rem characters, then "next", with LF and CR LF) and the status files *.cod.
rem Each case prints standard output, standard error after a [stderr] mark, and
rem the errorlevel.
echo y>y.txt
echo N>n.txt
echo x>x.txt
echo B>b.txt
echo.>blank.txt
type nul>nothing.txt
echo y>yn.txt
echo N>>yn.txt

echo --- read lf.txt: lines 0, 2, 3 (no line end after it), 4 (past the end)
for %%N in (0 2 3 4) do call :run X -t read lf.txt %%N
echo --- read crlf.txt: the same
for %%N in (0 2 3 4) do call :run X -t read crlf.txt %%N
echo --- read long.txt: a line of 255 characters takes two reads, the second
echo --- empty; one of 254 takes one
for %%N in (1 2 3 4) do call :run X -t read long.txt %%N
echo --- read longcr.txt: the same
for %%N in (1 2 3 4) do call :run X -t read longcr.txt %%N
echo --- read: a missing file, with and without -q
call :run X -t read missing.txt 1
call :run X -t -q read missing.txt 1

echo --- ask: y, N, x, an empty line, the end of input; the line end is kept
call :run X -t ask <y.txt
call :run X -t ask <n.txt
call :run X -t ask <x.txt
call :run X -t ask <blank.txt
call :run X -t ask <nothing.txt
echo --- ask: the question comes without a line end, before or after the options
call :run X -v ask Continue? [abc] <b.txt
call :run X -v ask [abc] Continue? <b.txt
echo --- ask -t: no question
call :run X -t ask Continue? <y.txt
echo --- two asks share one input: each reads its own line
cmd /c "tarvelix.exe a -t ask & tarvelix.exe b -t ask" <yn.txt
echo --- a CR ends the first reply at 255 characters: the next one keeps all of its own, from a file and a pipe
cmd /c "tarvelix.exe .a ask & tarvelix.exe b -t ask" <cr254.txt
type cr254.txt | cmd /c "tarvelix.exe .a ask & tarvelix.exe b -t ask"

echo --- qvstatus: the last status line wins, any case, not indented; no file
call :run X -t qvstatus last.cod
call :run X -t qvstatus mixed.cod
call :run X -t qvstatus indented.cod
call :run X -t qvstatus missing.cod
echo --- byte order marks: UTF-16 LE, UTF-16 BE, UTF-8; a line in the console code page comes back as it was
call :run X -t qvstatus ps.cod
tarvelix.exe X -t read ps.cod 2 >go.bat
call go.bat
if "%X:~1,1%"=="t" if "%X:~3%"=="" echo three characters, t in the middle
call :run X -t ask <be.txt
call :run X -t qvstatus bom8.cod
tarvelix.exe X -t read cafe437.txt 1 >out.txt
platform_probe.exe same out.txt cafe437.set
echo --- setexit: the number is the errorlevel
call :run X -t setexit 5
call :run X -t setexit 0
call :run X -t setexit x
tarvelix.exe X setexit -1
if errorlevel 1 (echo errorlevel 1 or more) else (echo errorlevel below 1: %errorlevel%)

reg delete HKLM\SOFTWARE\Drelvink /f >nul 2>nul
reg add HKLM\SOFTWARE\Drelvink\Corvanta\38.0\korvo /v qortop /d "C:\Program Files\Root" /f >nul
echo --- setqortop: no option, -u -t, read back with -t
call :run qortop setqortop
call :run qortop -u -t setqortop
set QORTOP=
for /f "tokens=1,*" %%A in ('tarvelix.exe qortop -t setqortop') do set "%%B"
echo [%QORTOP%]
echo --- setqortop without the value, then without the key: a message even with -q
reg delete HKLM\SOFTWARE\Drelvink\Corvanta\38.0\korvo /v qortop /f >nul
call :run qortop -t setqortop
reg delete HKLM\SOFTWARE\Drelvink /f >nul
call :run qortop -q -t setqortop
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
