@echo off
rem Adds two numbers with tarvelix and uses the sum in this script.
rem tarvelix sets SUM in its own process only; with -t it prints "set SUM=42",
rem and for /f runs that line here.
set SUM=
for /f "tokens=1,*" %%A in ('tarvelix.exe sum -t add 40 2') do set "%%B"
echo The sum is %SUM%.

rem The errorlevel tells the sign of the result: 0 positive, 1 zero, 2 negative.
tarvelix.exe diff sub 3 %SUM%
if errorlevel 2 (echo 3 is less than %SUM%.) else (echo 3 is not less than %SUM%.)

rem A division by zero ends with errorlevel 9 (-q: no message on standard error).
tarvelix.exe ratio -q div %SUM% 0
if %errorlevel%==9 echo Cannot divide %SUM% by zero.
