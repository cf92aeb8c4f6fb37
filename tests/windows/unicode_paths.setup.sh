# Files for unicode_paths.bat that a batch file in code page 437 cannot name or make.
# Names beyond the ANSI code page: a Cyrillic folder, a Cyrillic and a CJK file.
mkdir -p names/Данные latin/José 'dir with space' sub
printf 'one\r\ntwo\r\n' >names/Данные/файл.txt
printf 'abc' >names/Данные/文件.dat
touch -d @1700000001 names/Данные/файл.txt
touch -d @1700000000 names/Данные/文件.dat
# A Latin name that code page 437 holds, and a file to find inside it.
: >latin/José/marker.txt
# A folder with blanks, newer than plain.txt.
printf 'x' >plain.txt
touch -d @1700000000 plain.txt
touch -d @1700000005 'dir with space'
# long.txt lies 318 characters deep (deep\ and five folders of 60 letters).
part=$(printf 'a%.0s' $(seq 60))
deep=deep/$part/$part/$part/$part/$part
mkdir -p "$deep"
printf 'one\r\ntwo\r\n' >"$deep/long.txt"
