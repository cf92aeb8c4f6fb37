@echo off
rem Text in code page 932, where many characters take two bytes. Wine runs
rem this script under the locale in code_page_932.locale, which makes its ANSI
rem and OEM code pages 932. code_page_932.setup.sh made the Shift-JIS files;
rem a result is compared byte for byte with the file of what it must be
rem (platform_probe.exe same: Wine's fc /b finds any two files the same).
echo --- read: a line of 200 two-byte characters is one read, whole; "next" is read 2
tarvelix.exe X -t read hyo200.txt 1 >out.txt
platform_probe.exe same out.txt hyo200.set
call :run X -t read hyo200.txt 2
echo --- read: 300 characters are reads of 255 and 45
tarvelix.exe X -t read hyo300.txt 1 >out.txt
platform_probe.exe same out.txt hyo255.set
tarvelix.exe X -t read hyo300.txt 2 >out.txt
platform_probe.exe same out.txt hyo45.set
echo --- ask takes the 200 characters too, with the line end
tarvelix.exe X -t ask <hyo200.txt >out.txt
platform_probe.exe same out.txt hyo200.ask
echo --- qvstatus: 127 characters, x and the keyword are one read; 255 and the keyword two
call :run X -t qvstatus hyo127.cod
call :run X -t qvstatus hyo255.cod
echo --- a line that echo wrote in this console comes back through read and a called batch file
set /p LINE=<words.txt
>echoed.txt echo %LINE%
tarvelix.exe X -t read echoed.txt 1 >go.bat
call go.bat
>back.txt echo %X%
platform_probe.exe same back.txt echoed.txt
if "%X%"=="%LINE%" echo the same text as set /p read
call :run N -t length "%X%"
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
