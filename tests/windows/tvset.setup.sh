# Values for tvset.bat, read back through "read" so that they reach the caller
# without passing any command line: every character that cmd treats specially,
# blanks and tabs at both ends, "=" at the start, "!" in several places, texts
# that cmd's echo would take as a command, and "%" before the letters of the
# FOR loops that read them.
printf '%s\r\n' \
    'a & b | c < d > e ^ f % g ! h ( i ) j = k "l"' \
    '  two blanks at each end  ' \
    $'\ttabs\t' \
    '=begins with =' \
    '==! after two =' \
    '=' \
    '!OS! %OS% ^! x!' \
    'size 5" & echo INJECTED' \
    'echo "Build finished!"' \
    'set n=%random% 100%rate %q %~dpnxq %r %%r width 100%x %t' >values.txt
printf 'y\r\n' >yes.txt
# A folder name and a value beyond ASCII, in a batch file that cmd reads in
# the OEM code page 437 (0x82 is the e with an acute accent).
printf 'set "TVNAME=Jos\x82"\r\nset "TEMP=%%~dp0t\x82mp (1) & x"\r\n' >oem.bat
mkdir -p "témp (1) & x"
# A TEMP folder of 240 characters and more.
long=$(printf 'd%.0s' $(seq 1 60))
mkdir -p "long/$long/$long/$long/$long"
# A script that calls tvset.cmd ten times, started three times at once: every
# call must get its own sum. It notes each wrong one in bad.txt, then done<N>.txt.
printf '%s\r\n' '@echo off' 'setlocal EnableDelayedExpansion' \
    'for /l %%i in (1,1,10) do (' \
    '  call tvset.cmd W add %1000 %%i' \
    '  set /a "want=%1000+%%i"' \
    '  if not "!W!"=="!want!" echo worker %1 call %%i: !W! for !want!>>bad.txt' \
    ')' 'echo done>done%1.txt' >worker.bat
# A lone CR in a line: a value with a line end, which no line can hand over.
printf 'a\rb\r\n' >cr.txt
# A folder name read from a file, which must never become commands.
printf '%s\r\n' '"":&echo x>pwned.txt&echo.' >inj.txt
mkdir -p "te mp"
# A TMP of 212 characters (M:\tvset\ and 203 more), and names of 63 characters.
d60=$(printf 'e%.0s' $(seq 1 60))
long212="long212/$d60/$d60/$d60/dddddddddddd"
mkdir -p "$long212"
r63=$(printf 'r%.0s' $(seq 1 63))
x63=$(printf 'x%.0s' $(seq 1 63))
printf 'set "LONG212=%s"\r\nset "R63=%s"\r\nset "X63=%s"\r\n' "${long212//\//\\}" "$r63" "$x63" >names.bat
