#!/usr/bin/env bash
# Runs every batch example of the manual with Wine's cmd.exe and compares its
# output with the block that the manual shows after it.
#   doc_examples.sh WINE PREFIX RUNS_DIR TARVELIX.exe TVSET.cmd MANUAL.md...
# In the Markdown an example is a line "<!-- example: NAME -->", then a ```bat
# block (the script), then the next fenced block: its exact standard output.
# Every ```bat block must be such an example, so that none goes unchecked.
# All examples run in one Wine start, each in a fresh directory with tarvelix.exe
# and tvset.cmd on the PATH; whatever one writes on standard error must be shown
# too (2>&1).
set -euo pipefail
wine=$1 prefix=$2 runs=$3 program=$4 tvset=$5
shift 5
here=$(cd "$(dirname "$0")" && pwd)

rm -rf "$runs"
mkdir -p "$runs/bin" "$runs/sources"
runs=$(cd "$runs" && pwd)
cp "$program" "$tvset" "$runs/bin/"

# The scripts get CR LF line ends, as a Windows editor writes them.
awk -v dir="$runs/sources" '
    function bad(message) { print FILENAME ":" FNR ": " message; failed = 1; exit 1 }
    /^<!-- example: [A-Za-z0-9_-]+ -->$/ {
        if (state) bad("example " name " is incomplete")
        name = $3
        if (name in seen) bad("example " name " appears twice")
        seen[name] = 1
        state = 1
        next
    }
    /^```/ {
        if (fence) { fence = 0; if (state == 2 || state == 4) state = (state + 1) % 5; next }
        fence = 1
        if (state == 1 && $0 != "```bat") bad("example " name " needs a bat block")
        if (state != 1 && $0 == "```bat") bad("a bat block without an example mark")
        if (state == 1 || state == 3) {
            state++
            # (A script named like a command of cmd, "set.bat", would not run.)
            out = dir "/example-" name (state == 2 ? ".bat" : ".expected")
            printf "" > out
        }
        next
    }
    fence && state == 2 { printf "%s\r\n", $0 > out }
    fence && state == 4 { print > out }
    END { if (!failed && state) bad("example " name " is incomplete") }
' "$@"

# Wine adds WINEPATH to the PATH of the programs it runs; Z: is the root.
export WINEPATH="Z:${runs//\//\\}\\bin"

# One Wine start for all examples: a driver script runs each in a fresh folder
# with a cmd of its own, and marks where its output begins.
driver=$runs/sources/examples.bat
expected=$runs/sources/examples.expected
names=()
printf '@echo off\r\n' >"$driver"
: >"$expected"
for script in "$runs"/sources/example-*.bat; do
    name=$(basename "$script" .bat)
    names+=("$name")
    printf 'echo === %s\r\nmd %s\r\ncd %s\r\ncmd /c ..\\%s.bat 2>..\\%s.err\r\ncd ..\r\n' \
        "$name" "$name" "$name" "$name" "$name" >>"$driver"
    { echo "=== $name"; cat "${script%.bat}.expected"; } >>"$expected"
done
[ ${#names[@]} -gt 0 ] || { echo "no examples found in $*"; exit 1; }
bash "$here/run_batch.sh" "$wine" "$driver" "$prefix" "$runs" "$runs"/sources/example-*.bat

failures=()
for name in "${names[@]}"; do
    if [ -s "$runs/examples/$name.err" ]; then
        echo "$name wrote on standard error, which the manual does not show:"
        head -5 "$runs/examples/$name.err"
        failures+=("${name#example-}")
    fi
done
if [ ${#failures[@]} -ne 0 ]; then
    echo "${#failures[@]} of ${#names[@]} examples write what the manual does not show: ${failures[*]}"
    exit 1
fi
echo "all ${#names[@]} examples of the manual print what it shows"
