@echo off
rem Integer functions as a batch script uses them: the "set" line, the value read
rem back with for /f, and the status read through errorlevel.

echo --- -v prints the assignment
tarvelix.exe sum -v add 2 3 >out.txt 2>err.txt
call :show %errorlevel%
echo --- no option prints nothing
tarvelix.exe sum add 2 3 >out.txt 2>err.txt
call :show %errorlevel%
echo --- -v and -t together print the line once
tarvelix.exe sum -v -t add 2 3 >out.txt 2>err.txt
call :show %errorlevel%

echo --- the variable is set in tarvelix's own process only
set SUM=
tarvelix.exe sum -v add 2 3 >nul
if defined SUM (echo SUM=%SUM%) else (echo SUM is not set in the script)

echo --- the -t line read back with for /f, then used as %%TOTAL%%
set TOTAL=
for /f "tokens=1,*" %%A in ('tarvelix.exe total -t add 40 2') do set "%%B"
echo TOTAL=%TOTAL%
tarvelix.exe next -t sub %TOTAL% 50 >out.txt 2>err.txt
call :show %errorlevel%
echo --- a variable name with a blank survives the round trip
set "A B="
for /f "tokens=1,*" %%A in ('tarvelix.exe "a b" -t mul 6 7') do set "%%B"
echo [%A B%]

echo --- add: positive, zero, negative
tarvelix.exe x -t add 7 -2 >out.txt 2>err.txt
call :show %errorlevel%
tarvelix.exe x -t add 7 -7 >out.txt 2>err.txt
call :show %errorlevel%
tarvelix.exe x -t add -5 3 >out.txt 2>err.txt
call :show %errorlevel%
echo --- sub: positive, zero, negative
tarvelix.exe x -t sub 5 2 >out.txt 2>err.txt
call :show %errorlevel%
tarvelix.exe x -t sub 3 3 1 -1 >out.txt 2>err.txt
call :show %errorlevel%
tarvelix.exe x -t sub 2 5 >out.txt 2>err.txt
call :show %errorlevel%
echo --- mul and mult
tarvelix.exe x -t mul 6 7 >out.txt 2>err.txt
call :show %errorlevel%
tarvelix.exe x -t mult -2 3 4 >out.txt 2>err.txt
call :show %errorlevel%
tarvelix.exe x -t mult 65536 65536 >out.txt 2>err.txt
call :show %errorlevel%
echo --- div: truncates toward zero
tarvelix.exe x -t div 7 2 >out.txt 2>err.txt
call :show %errorlevel%
tarvelix.exe x -t div -7 2 >out.txt 2>err.txt
call :show %errorlevel%
tarvelix.exe x -t div 0 5 >out.txt 2>err.txt
call :show %errorlevel%
echo --- div by zero: 999999, a line on standard error, exit 9
tarvelix.exe x -t div 10 0 >out.txt 2>err.txt
call :show %errorlevel%
echo --- div by zero twice: two lines
tarvelix.exe x -v div 10 0 0 >out.txt 2>err.txt
call :show %errorlevel%
echo --- -q silences the division message
tarvelix.exe x -t -q div 10 0 >out.txt 2>err.txt
call :show %errorlevel%
echo --- the division message stays when a later number is invalid
tarvelix.exe x -t div 10 0 x >out.txt 2>err.txt
call :show %errorlevel%
echo --- if errorlevel after a division by zero
tarvelix.exe x div 10 0 2>nul
if errorlevel 9 (echo errorlevel is 9 or more) else (echo errorlevel is below 9)

echo --- invalid numbers
tarvelix.exe x -v add 1 +5 >out.txt 2>err.txt
call :show %errorlevel%
tarvelix.exe x -v add 1 1e3 >out.txt 2>err.txt
call :show %errorlevel%
echo --- numbers beyond 32 bits wrap around
tarvelix.exe x -v add 4294967296 5 >out.txt 2>err.txt
call :show %errorlevel%
echo --- names that store nothing
tarvelix.exe .x -v add 1 2 >out.txt 2>err.txt
call :show %errorlevel%
tarvelix.exe _null_ -v add 1 2 >out.txt 2>err.txt
call :show %errorlevel%
echo --- a name that Windows refuses as a variable
tarvelix.exe "a=b" -v add 2 3 >out.txt 2>err.txt
call :show %errorlevel%
tarvelix.exe "a=b" -t add 2 3 >out.txt 2>err.txt
call :show %errorlevel%
exit /b 0

:show
type out.txt
echo [stderr]
type err.txt
echo [exit=%1]
goto :eof
