#!/usr/bin/env bash
# Makes the release package with cpack and checks the zip: it holds the stripped
# tarvelix.exe, README.md and every file of docs/, as in the sources, and nothing else.
#   check_package.sh CMAKE CPACK OBJDUMP BUILD_DIR SOURCE_DIR
set -euo pipefail
cmake=$1 cpack=$2 objdump=$3 build=$4 source=$5
out=$build/package-check
rm -rf "$out"
mkdir -p "$out/unpacked"
if ! (cd "$build" && "$cpack" -G ZIP -B "$out" >"$out/cpack.log" 2>&1); then
    cat "$out/cpack.log"
    exit 1
fi
shopt -s nullglob
zips=("$out"/*.zip)
[ ${#zips[@]} -eq 1 ] || { echo "cpack made ${#zips[@]} zip files, not one:"; ls "$out"; exit 1; }
(cd "$out/unpacked" && "$cmake" -E tar xf "${zips[0]}")
# The files lie in one folder named like the zip.
top=$out/unpacked/$(basename "${zips[0]}" .zip)
[ -d "$top" ] || { echo "no folder $(basename "$top") in the zip"; exit 1; }

if ! diff -u <(cd "$source" && { echo tarvelix.exe; echo README.md; find docs -type f; } | sort) \
    <(cd "$top" && find . -type f | sed 's|^\./||' | sort); then
    echo "the package holds other files than expected (left: expected)"
    exit 1
fi
for file in README.md $(cd "$source" && find docs -type f); do
    cmp "$source/$file" "$top/$file" || { echo "$file differs from the source"; exit 1; }
done
"$objdump" -t "$top/tarvelix.exe" | grep -qx 'no symbols' ||
    { echo "tarvelix.exe in the package is not stripped"; exit 1; }
echo "$(basename "${zips[0]}"): tarvelix.exe (stripped, $(stat -c %s "$top/tarvelix.exe") bytes)," \
    "README.md and $(cd "$top" && find docs -type f | wc -l) file(s) of docs/"
