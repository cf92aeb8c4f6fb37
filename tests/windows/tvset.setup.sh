# Values for tvset.bat, read back through "read" so that they reach the caller
# without passing any command line: every character that cmd treats specially,
# blanks and tabs at both ends, "=" at the start, "!" in several places, and
# texts that cmd's echo would take as a command.
printf '%s\r\n' \
    'a & b | c < d > e ^ f % g ! h ( i ) j = k "l"' \
    '  two blanks at each end  ' \
    $'\ttabs\t' \
    '=begins with =' \
    '==! after two =' \
    '=' \
    '!OS! %OS% ^! x!' \
    'size 5" & echo INJECTED' \
    'on' >values.txt
printf 'y\r\n' >yes.txt
