@echo off
rem Adds two numbers with tarvelix and uses the sum in this script.
rem tarvelix sets SUM in its own process only; tvset.cmd, which lies beside
rem tarvelix.exe, runs it and sets SUM here to the value it hands over.
call tvset.cmd SUM add 40 2
echo The sum is %SUM%.

rem The errorlevel tells the sign of the result: 0 positive, 1 zero, 2 negative.
rem The name "." stores nothing: only the errorlevel counts here.
tarvelix.exe . sub 3 %SUM%
if errorlevel 2 (echo 3 is less than %SUM%.) else (echo 3 is not less than %SUM%.)

rem A division by zero ends with errorlevel 9 (-q: no message on standard error).
tarvelix.exe . -q div %SUM% 0
if %errorlevel%==9 echo Cannot divide %SUM% by zero.
