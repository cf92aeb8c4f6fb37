# Files for files_drives.bat, with modification times that a batch file cannot set.
: >empty.txt
printf '0123456789' >ten.txt
touch -d @1700000000 ten.txt
cp -p ten.txt same.txt
touch -d @1700000001 newer.txt
# 2100-01-01: past the 32-bit range of seconds.
touch -d @4102444800 future.txt
# Sparse, so it takes no room: 5 GiB and 7 bytes.
truncate -s 5368709127 big.bin
mkdir sub
