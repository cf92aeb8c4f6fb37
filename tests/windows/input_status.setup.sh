# Files for input_status.bat that a batch file cannot write itself.
# The same three lines with LF and with CR LF line ends; the LF file has no
# line end after its last line.
printf 'one\ntwo\nthree' >lf.txt
printf 'one\r\ntwo\r\nthree\r\n' >crlf.txt
# Lines of exactly 255 and 254 characters, then a short one, with both line ends.
line=
for i in $(seq 25); do line=${line}abcdefghij; done
printf '%sabcde\n%sabcd\nnext\n' "$line" "$line" >long.txt
printf '%sabcde\r\n%sabcd\r\nnext\r\n' "$line" "$line" >longcr.txt
# A lone CR as the 255th character of a reply, then the next reply.
printf '%sabcd\rXYZ\r\n' "$line" >cr254.txt
# Status files as another program writes them.
printf 'SET QORCOD=16\r\nSET QORCOD=4\r\n' >last.cod
printf 'run started\r\nset Qorcod=12\r\nrun ended\r\n' >mixed.cod
printf 'SET QORCOD=12\r\n  SET QORCOD=8\r\n' >indented.cod
# Text as other programs write it: UTF-16 LE with its mark (Windows PowerShell's
# ">"), UTF-16 BE, UTF-8 with its mark, and a line in code page 437 ("caf" and
# e acute, 0x82) with the "set" line that must come back byte for byte.
printf '\xff\xfeS\0E\0T\0 \0Q\0O\0R\0C\0O\0D\0=\0001\0002\0\r\0\n\0\xe9\0t\0\xe9\0\r\0\n\0' >ps.cod
printf '\xfe\xff\0y\0\r\0\n' >be.txt
printf '\xef\xbb\xbfSET QORCOD=8\r\n' >bom8.cod
printf 'caf\x82\r\n' >cafe437.txt
printf 'set X=caf\x82\r\n' >cafe437.set
