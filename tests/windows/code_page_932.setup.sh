# Shift-JIS files for code_page_932.bat, which is kept ASCII since cmd reads it
# in code page 932. HYO (0x95 0x5C) is a character whose second byte is a
# backslash.
hyo() {
    local i
    for ((i = 0; i < $1; i++)); do printf '\x95\x5c'; done
}
# 200 characters, 400 bytes: one read, whole; then the line "next".
{ hyo 200; printf '\r\nnext\r\n'; } >hyo200.txt
{ printf 'set X='; hyo 200; printf '\r\n'; } >hyo200.set
{ printf 'set X='; hyo 200; printf '\r\n\r\n'; } >hyo200.ask
# 300 characters: reads of 255 and 45.
{ hyo 300; printf '\r\n'; } >hyo300.txt
{ printf 'set X='; hyo 255; printf '\r\n'; } >hyo255.set
{ printf 'set X='; hyo 45; printf '\r\n'; } >hyo45.set
# Status lines only where a read of 255 characters begins.
{ hyo 127; printf 'xSET QORCOD=12\r\n'; } >hyo127.cod
{ hyo 255; printf 'SET QORCOD=12\r\n'; } >hyo255.cod
# HYO, SO (0x83 0x5C), PO (0x83 0x7C, a "|" second byte), half-width A (0xB1), "ab".
printf '\x95\x5c\x83\x5c\x83\x7c\xb1ab\r\n' >words.txt
