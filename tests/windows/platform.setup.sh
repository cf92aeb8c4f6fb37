# A registry file for platform.bat with names and data that a batch file in code
# page 437 cannot spell, in UTF-16 with its byte order mark, as reg import takes it.
printf '\xff\xfe' >unicode.reg
printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\TarvelixTest]\r\n"uni"="Jé文"\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\TarvelixTest\\Ключ]\r\n"v"="x"\r\n' |
    iconv -f UTF-8 -t UTF-16LE >>unicode.reg
# A file whose name holds U+FFFD, which a name with a lone surrogate must not find.
printf 'fifteen bytes!!' >$'x\xef\xbf\xbd.txt'
