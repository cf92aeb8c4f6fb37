#!/usr/bin/env bash
# Runs one batch test with Wine's cmd.exe and compares its transcript with the
# expected one beside it.
#   run_batch.sh WINE SCRIPT.bat PREFIX RUNS_DIR PROGRAM.exe...
# The script runs in a fresh directory RUNS_DIR/<name> that holds a copy of the
# script and of each program, so it calls them by bare name as users do. Every
# line end of the transcript must be CR LF (as cmd and a text-mode program write
# them); the comparison itself is on LF lines. A line "@usage@" of the expected
# transcript stands for the whole usage screen, tests/usage.txt.
set -euo pipefail
usage=$(cd "$(dirname "$0")/.." && pwd)/usage.txt
[ -f "$usage" ] || { echo "no usage screen at $usage"; exit 1; }
wine=$1 script=$2 prefix=$3 runs=$4
shift 4
name=$(basename "$script" .bat)
script=$(cd "$(dirname "$script")" && pwd)/$name.bat
expected=${script%.bat}.expected
# shellcheck source=tests/windows/wine_prefix.sh
. "$(dirname "$0")/wine_prefix.sh"
use_wine_prefix "$wine" "$prefix" "$runs"

work=$runs/$name
setup=${script%.bat}.setup.sh

# A script whose <name>.locale names a locale (ja_JP.UTF-8) runs under it: Wine
# takes its ANSI and OEM code pages from the locale (932 for Japanese). The
# locale is built once, into a directory beside the prefix, so that the
# machine's own locales stay as they are.
locale_file=${script%.bat}.locale
wine_locale=()
if [ -f "$locale_file" ]; then
    locale=$(cat "$locale_file")
    locales=$prefix.locales
    exec 8>"$locales.lock"
    flock 8
    if [ ! -f "$locales/$locale/LC_CTYPE" ]; then
        mkdir -p "$locales"
        localedef -i "${locale%%.*}" -f "${locale#*.}" "$locales/$locale" >"$locales.log" 2>&1 ||
            [ -f "$locales/$locale/LC_CTYPE" ] || { echo "localedef failed:"; cat "$locales.log"; exit 1; }
    fi
    flock -u 8
    exec 8>&-
    wine_locale=("LOCPATH=$locales" "LANG=$locale" "LC_ALL=$locale")
fi

# Runs the script once in a fresh run directory. An optional <name>.setup.sh
# prepares there what a batch file cannot make itself: LF-only files, set
# modification times, sparse files, text in another code page. The script's own final errorlevel is not
# checked: the transcript says it all.
run_once() {
    cd "$runs"
    rm -rf "$work"
    mkdir -p "$work"
    cp "$script" "$work/"
    for program in "$@"; do cp "$program" "$work/"; done
    cd "$work"
    if [ -f "$setup" ]; then bash "$setup"; fi
    status=0
    timeout 300 env "${wine_locale[@]}" "$wine" cmd /c "$name.bat" </dev/null >transcript.raw 2>wine.err ||
        status=$?
}

run_once "$@"
# Now and then Wine's cmd fails to start a program that is there ("Can't
# recognize" it), whatever the program does. Such a run says nothing about the
# program: it is run again once, and said so; a second such failure stands.
# (A script may send a program's standard error to files of its own, *.err.)
recognize="Can't recognize '"
if grep -qs "$recognize" transcript.raw wine.err ./*.err && ! grep -q "$recognize" "$expected"; then
    echo "Wine failed to start a program in $name.bat; running it once more:"
    grep -hs "$recognize" transcript.raw wine.err ./*.err | head -3
    run_once "$@"
fi

bare=$(grep -c -v $'\r$' transcript.raw || true)
sed 's/\r$//' transcript.raw >transcript.txt
awk -v usage="$usage" '$0 != "@usage@" { print; next }
    { while ((getline line <usage) > 0) print line; close(usage) }' "$expected" >expected.txt
if ! diff -u expected.txt transcript.txt; then
    echo "transcript of $name.bat differs from $(basename "$expected") (left: expected)"
    echo "cmd /c $name.bat ended with status $status; Wine's standard error:"
    head -20 wine.err
    exit 1
fi
if [ "$bare" -ne 0 ]; then
    echo "$bare line(s) of the transcript end in a bare LF instead of CR LF:"
    grep -n -v $'\r$' transcript.raw | head -5
    exit 1
fi
echo "$name.bat: transcript of $(wc -l <transcript.txt) lines as expected"
