#!/usr/bin/env bash
# Checks that the batch example shown in the README is the script that the
# Windows suite runs, line for line.
#   check_readme_example.sh README.md example.bat
set -euo pipefail
readme=$1 script=$2
shown=$(sed -n '/^```bat$/,/^```$/p' "$readme" | sed '1d;$d')
[ -n "$shown" ] || { echo "no bat block in $readme"; exit 1; }
if ! diff -u <(tr -d '\r' <"$script") <(printf '%s\n' "$shown"); then
    echo "the README's example differs from $script (left: the script)"
    exit 1
fi
echo "the README shows $script"
