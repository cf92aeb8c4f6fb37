@echo off
rem File status, drives and working directories on real files and drives.
rem files_drives.setup.sh made the files: empty.txt (0 bytes), ten.txt (10 bytes,
rem modified at 1700000000 s), same.txt (a copy with the same time), newer.txt
rem (one second later), future.txt (2100-01-01, 4102444800 s), big.bin (sparse,
rem 5 GiB and 7 bytes) and the directory sub. M: is the parent of this directory.
rem Each case prints standard output, standard error after a [stderr] mark, and
rem the errorlevel.
cd /d M:\files_drives
set "HERE=%CD%"

echo --- filesize: empty, ten bytes, over 4 GiB exactly, missing
call :run X -t filesize empty.txt
call :run X -t filesize ten.txt
call :run X -t filesize big.bin
call :run X -t filesize missing.txt
del big.bin
echo --- filetime: a set time, a time past 2038 wraps to 32 bits, missing
call :run X -t filetime ten.txt
call :run X -t filetime future.txt
call :run X -t filetime missing.txt
echo --- update: newer, older, same time, same file, past 2038 against 2023
call :run X -t update newer.txt ten.txt
call :run X -t update ten.txt newer.txt
call :run X -t update same.txt ten.txt
call :run X -t update ten.txt ten.txt
call :run X -t update future.txt ten.txt
echo --- update: missing source (also with a missing target), missing target
call :run X -t update missing.txt missing2.txt
call :run X -t update ten.txt missing.txt
echo --- isdir: a root, a directory with and without a backslash, a file, missing, empty
call :run X -t isdir C:\
call :run X -t isdir sub
call :run X -t isdir M:\files_drives\sub\
call :run X -t isdir ten.txt
call :run X -t isdir missing
call :run X -t isdir ""

echo --- the current drive and directory; C: has its root as working directory
call :run X -t curdrive
call :run X -t curdrv
call :run X -t curdir
call :run X -t curddir
call :run X -t curdir c
call :run X -t curddir C
echo --- a drive letter with no drive behind it
call :run X -t curdir q
call :run X -t curddir q
echo --- drvrdy: existing drives and a missing one
call :run X -t drvrdy c
call :run X -t driveready M
call :run X -t drvrdy q

echo --- chdir -t: drive and cd lines, the previous directory is stored
call :run X -t chdir C:\windows
call :run X -t chdir M:
call :run X -t chdir sub
echo --- chdir from a root stores the drive alone
cd /d C:\
call :run X -t chdir M:\files_drives
cd /d "%HERE%"
echo --- chdir without -t prints no cd line; the script's directory stays
call :run X -v chdir sub
echo %CD%
echo --- in one process: drvrdy leaves drive and directory, chdir -t changes the
echo --- drive only, chdir changes both for the rest of the run
drive_probe.exe where drvrdy c where drvrdy q where chdir-t C:\windows where chdir M:\files_drives\sub where chdir .. where
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
