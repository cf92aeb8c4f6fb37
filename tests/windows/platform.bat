@echo off
rem The Windows platform layer through real Windows calls: platform_probe.exe
rem runs the operations that its arguments name and prints one line for each.
set "HERE=%CD%"
mkdir sub
echo abc>in.txt
echo first line>two.txt
echo second line>>two.txt

echo --- no error dialog box for a drive that is not ready
platform_probe.exe errormode
echo --- standard input is read raw: CR LF arrives as two bytes
platform_probe.exe stdin <in.txt
echo --- an empty standard input
platform_probe.exe stdin <nul
echo --- a file is read raw, in several pieces
platform_probe.exe read two.txt
echo --- directories and missing files cannot be opened
platform_probe.exe read sub read . read nosuch.txt

echo --- peek and head leave a file where it was
platform_probe.exe file two.txt
echo --- peek and head on standard input leave every byte to the next program;
echo --- a file is no console to read a typed line from
cmd /c "platform_probe.exe peek 4 head 2 conline 5 & platform_probe.exe stdin" <two.txt
echo --- peek on a pipe waits for the bytes asked for, or for the writer to close
platform_probe.exe pipe ab "" 4 pipe ab cd 4 pipe "" "" 4

echo --- file status: size, modification time, directory bit
platform_probe.exe settime in.txt 1700000000 stat in.txt settime sub 1000000000 stat sub stat nosuch.txt
echo --- times after 2038
platform_probe.exe settime in.txt 4102444800 stat in.txt
echo --- sizes of 2 GiB and more
platform_probe.exe mkbig big.bin 2147483648 settime big.bin 0 stat big.bin
platform_probe.exe mkbig big.bin 6442450949 settime big.bin 0 stat big.bin
del big.bin

echo --- the working directory of the current drive is the one cmd reports
for /f "delims=" %%D in ('platform_probe.exe cwd') do set "GOT=%%D"
if "%GOT%"=="cwd: %CD%" (echo same as %%CD%%) else (echo differs: "%GOT%" and "%CD%")
echo --- drives: current, change, buffer sizes, a drive that does not exist
cd /d C:\windows
"%HERE%\platform_probe.exe" drive cwd dcwd 0 11 dcwd 0 10 dcwd 3 11 dcwd 3 2 dcwd 17 260
"%HERE%\platform_probe.exe" chdrive 17 drive chdir system32 cwd chdir nosuch cwd chdir .. cwd
cd /d "%HERE%"
platform_probe.exe chdrive 3 drive cwd

reg delete HKLM\Software\TarvelixTest /f >nul 2>nul
reg add HKLM\Software\TarvelixTest /v text /t REG_SZ /d hello /f >nul
reg add HKLM\Software\TarvelixTest /v number /t REG_DWORD /d 258 /f >nul
reg add HKLM\Software\TarvelixTest /ve /d default /f >nul
reg add "HKLM\Software\TarvelixTest\Sub Key" /v "long value" /d "a b" /f >nul
reg add HKLM\Software\TarvelixTest /v multi /t REG_MULTI_SZ /d a\0b /f >nul
echo --- registry: data that fits, fits exactly, is one byte too large
platform_probe.exe reg Software\TarvelixTest text 64 reg Software\TarvelixTest text 6 reg Software\TarvelixTest text 5
echo --- registry: binary data, the default value, blanks in names, any case
platform_probe.exe reg Software\TarvelixTest number 4 reg Software\TarvelixTest "" 64 reg "SOFTWARE\tarvelixtest\sub key" "LONG VALUE" 64
echo --- registry: strings become UTF-8, zeros and all (fits exactly, one byte too
echo --- large); a key name beyond ASCII. platform.setup.sh wrote unicode.reg.
reg import unicode.reg >nul 2>nul
platform_probe.exe reg Software\TarvelixTest multi 64 reg Software\TarvelixTest uni 7 reg Software\TarvelixTest uni 6 reg Software\TarvelixTest\{41A}{43B}{44E}{447} v 64
echo --- registry: a missing value, a missing key
platform_probe.exe reg Software\TarvelixTest nosuch 64 reg Software\NoSuchKey text 64 reg "" text 64
reg delete HKLM\Software\TarvelixTest /f >nul

echo --- environment of the running process
platform_probe.exe env TARVELIX_T hello env TARVELIX_T "" env "a=b" 1 env "" 1 env TARVELIX_T J{E9}{6587}

rem {HEX} in a probe argument stands for that code point.
echo --- what a code page holds is a round trip: no replaced character, no
echo --- look-alike; 65001 refuses the flags that report them. The bytes written.
platform_probe.exe encode 437 1 Jos{E9} encode 437 1 {414}x encode 437 1 {101} encode 1252 1 Jos{E9}
platform_probe.exe encode 65001 1 {414}{6587}{1F600} encode 932 1 {65E5}{672C} encode 932 1 {E9}
echo --- long text is converted in pieces that never split a character
platform_probe.exe encode 1252 3000 {20AC}
echo --- without a console, standard output takes the OEM code page
platform_probe.exe canout Jos{E9} canout {414}
echo --- 8-bit text to UTF-8: whole characters only, within the size given
platform_probe.exe decode 437 82 10 decode 437 8282 3 decode 932 93FA967B 5
echo --- characters of double-byte code pages: a lead byte takes a trail byte of
echo --- 40 or more (no digit); GB18030 also has four bytes; a broken one becomes one character
platform_probe.exe step 932 4193FA5C810A813181 step 936 D6D0B5C441 step 949 B0A141 step 950 A4A441
platform_probe.exe step 54936 8130813084318230D6D081308141 step 437 8283 step 65001 C3A9EDA080FF
platform_probe.exe decode 936 D6D0B5C4 10 decode 932 93FA81 10
echo --- letter case by the system, beyond ASCII too; one character for one, the
echo --- same for every language (I is i); a surrogate stays as it is
platform_probe.exe case 79 49 E9 401 451 3A3 10400 DF D800
set A=aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa
set "DEEP=%A%\%A%\%A%\%A%\%A%"
echo --- paths: as they are below 260 characters; beyond, the full path in the
echo --- \\?\ form, \\?\UNC\ for a network path; a device name never
platform_probe.exe syspath sub\x.txt syspath %DEEP%\..\x.txt syspath \\server\share\%DEEP% syspath %DEEP%\nul

echo --- a lone surrogate in a name reaches the system as the unit it is: a file
echo --- named x{FFFD}.txt is not x{D800}.txt. No code page can show it.
platform_probe.exe syspath x{D800}.txt env TARVELIX_T a{DC00}b canout x{D800} encode 65001 1 x{D800}
platform_probe.exe run "tarvelix.exe X -t length {DC00}{D800}" run "tarvelix.exe X -t filesize x{D800}.txt" run "tarvelix.exe X -t filesize x{FFFD}.txt"
platform_probe.exe run "tarvelix.exe X -t set x{D800}"
echo --- files for tvset.cmd: only a new name is taken, a folder is listed, a
echo --- line is counted in the batch code page with CR LF
platform_probe.exe newfile new.txt newfile new.txt read new.txt newdir nd newdir nd newfile nd\x
platform_probe.exe settime nd\x 1000000000 list nd list nosuch batchlen a{E9}{0A}
echo --- standard output and error in text mode
platform_probe.exe out hello err world out "two words" >out.txt 2>err.txt
type out.txt
echo [stderr]
type err.txt
echo --- exit codes reach errorlevel as signed 32-bit numbers
for %%C in (0 1 300 -1 -2147483648 2147483647) do call :exit %%C
exit /b 0

:exit
platform_probe.exe exit %1
echo exit %1: errorlevel %errorlevel%
goto :eof
