#!/usr/bin/env bash
# Types the replies of a script that asks twice at Wine's console, as a user
# does, on a pseudo-terminal that script(1) makes:
#   console_ask.sh WINE PREFIX RUNS_DIR TARVELIX.exe
# The first reply is one line of 255 "n" and a "y": ask keeps its first 255
# characters (exit 2) and drops the rest of the line, so that the second
# question waits for a reply of its own, "n" (exit 2), instead of taking "y".
set -euo pipefail
wine=$1 prefix=$2 runs=$3 program=$4
# shellcheck source=tests/windows/wine_prefix.sh
. "$(dirname "$0")/wine_prefix.sh"
use_wine_prefix "$wine" "$prefix" "$runs"
work=$runs/console_ask
rm -rf "$work"
mkdir -p "$work"
cp "$program" "$work/"
cd "$work"
printf '@echo off\r\n%s\r\n%s\r\n%s\r\n%s\r\n' 'tarvelix.exe a ask "Delete old files? "' \
    'echo first=%errorlevel%' 'tarvelix.exe b ask "Really delete? "' 'echo second=%errorlevel%' \
    >twoq.bat

# What is written into the FIFO keys, script types at the console.
mkfifo keys
timeout 120 script -qfec "$(printf '%q' "$wine") cmd /c twoq.bat" screen.log <keys >/dev/null &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
exec 3>keys

# The screen as text, without the console's escape sequences and CRs.
shown() { sed 's/\x1b\[[0-9;?]*[A-Za-z]//g' screen.log | tr -d '\r'; }
fail() {
    echo "$1; the screen shows:"
    shown | tail -5
    exit 1
}
# Waits until the screen shows the text, for at most 60 seconds.
wait_for() {
    for _ in $(seq 600); do
        shown | grep -qF "$1" && return 0
        sleep 0.1
    done
    fail "no \"$1\" within 60 seconds"
}

wait_for "Delete old files?"
printf '%s\r' "$(printf 'n%.0s' $(seq 255))y" >&3
wait_for "Really delete?"
sleep 1
! shown | grep -q 'second=' || fail "the second question took a reply that nobody typed"
printf 'n\r' >&3
status=0
wait "$pid" || status=$?
exec 3>&-
answers=$(shown | grep -E '^(first|second)=' | paste -sd ' ')
[ "$answers" = "first=2 second=2" ] || fail "cmd /c twoq.bat ended with status $status"
echo "console_ask: $answers"
