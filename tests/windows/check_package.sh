#!/usr/bin/env bash
# Makes the release package with cpack and checks the zip. It holds exactly
#   tarvelix.exe  stripped, at most 150 KB, with a version resource that names the
#                 product, its version and a description
#   tvset.cmd     as in package/, CR LF lines
#   README.txt    CR LF lines
#   manual.html   no example marker and no dropped raw HTML; every "#name" link
#                 has its target
#   LICENSE       as at the repository root
# and beside it the zip's checksum file, NAME.zip.sha256, as sha256sum writes it.
# README.txt, the version resource and the newest section of CHANGELOG.md give
# the project's VERSION.
#   check_package.sh CMAKE CPACK OBJDUMP WINDRES BUILD_DIR SOURCE_DIR VERSION
set -euo pipefail
cmake=$1 cpack=$2 objdump=$3 windres=$4 build=$5 source=$6 version=$7
out=$build/package-check
rm -rf "$out"
mkdir -p "$out/unpacked"
[ -f "$build/manual.html" ] || {
    echo "no manual.html in $build: cmark-gfm was not found when the build was configured"
    echo "(apt-get install cmark-gfm, then configure again)"
    exit 1
}
if ! (cd "$build" && "$cpack" -G ZIP -B "$out" >"$out/cpack.log" 2>&1); then
    cat "$out/cpack.log"
    exit 1
fi
shopt -s nullglob
zips=("$out"/*.zip)
[ ${#zips[@]} -eq 1 ] || { echo "cpack made ${#zips[@]} zip files, not one:"; ls "$out"; exit 1; }
zip_name=$(basename "${zips[0]}")
[ "$zip_name" = "tarvelix-$version-win64.zip" ] || { echo "the zip is $zip_name, not of version $version"; exit 1; }
[ -f "${zips[0]}.sha256" ] || { echo "no $zip_name.sha256 beside the zip"; exit 1; }
if [ "$(cat "${zips[0]}.sha256")" != "$(cd "$out" && sha256sum "$zip_name")" ]; then
    echo "$zip_name.sha256 does not hold the zip's SHA-256 and name as sha256sum writes them:"
    cat "${zips[0]}.sha256"
    exit 1
fi
(cd "$out/unpacked" && "$cmake" -E tar xf "${zips[0]}")
# The files lie in one folder named like the zip.
top=$out/unpacked/$(basename "${zips[0]}" .zip)
[ -d "$top" ] || { echo "no folder $(basename "$top") in the zip"; exit 1; }

if ! diff -u <(printf '%s\n' LICENSE README.txt manual.html tarvelix.exe tvset.cmd) \
    <(cd "$top" && find . -type f | sed 's|^\./||' | LC_ALL=C sort); then
    echo "the package holds other files than expected (left: expected)"
    exit 1
fi
cmp "$source/LICENSE" "$top/LICENSE" || { echo "LICENSE differs from the source"; exit 1; }
cmp "$source/package/tvset.cmd" "$top/tvset.cmd" || { echo "tvset.cmd differs from the source"; exit 1; }

# Every line ends in CR LF, the last one too, and no CR stands alone.
for file in README.txt tvset.cmd; do
    if [ ! -s "$top/$file" ] || LC_ALL=C grep -q -e $'[^\r]$' -e '^$' -e $'\r.' "$top/$file" ||
        [ -n "$(tail -c 1 "$top/$file")" ]; then
        echo "$file does not consist of CR LF lines"
        exit 1
    fi
done

grep -qx "Version $version"$'\r' "$top/README.txt" || { echo "README.txt does not say Version $version"; exit 1; }
newest=$(sed -n 's/^## \[\([^]]*\)\].*$/\1/p' "$source/CHANGELOG.md" | head -n 1)
[ "$newest" = "$version" ] ||
    { echo "the newest section of CHANGELOG.md is [$newest], not the project's version $version"; exit 1; }

html=$top/manual.html
if grep -Eq '(<|&lt;)!-- *example:' "$html"; then
    echo "manual.html shows example markers:"
    grep -En '(<|&lt;)!-- *example:' "$html" | head -5
    exit 1
fi
if grep -q 'raw HTML omitted' "$html"; then
    echo "the converter dropped raw HTML of the manual (it shows none):"
    grep -n 'raw HTML omitted' "$html" | head -5
    exit 1
fi
links=$(grep -o 'href="#[^"]*"' "$html" | sed 's/^href="#//; s/"$//' | sort -u)
[ -n "$links" ] || { echo "manual.html has no links to its own sections"; exit 1; }
while read -r target; do
    grep -q "id=\"$target\"" "$html" || { echo "manual.html: no section for the link #$target"; exit 1; }
done <<<"$links"

exe=$top/tarvelix.exe
"$objdump" -t "$exe" | grep -qx 'no symbols' || { echo "tarvelix.exe in the package is not stripped"; exit 1; }
size=$(stat -c %s "$exe")
[ "$size" -le 153600 ] || { echo "tarvelix.exe is $size bytes, more than 150 KB"; exit 1; }
# windres reads the resources back from the program as a resource script.
resources=$("$windres" --input-format=coff --output-format=rc "$exe")
IFS=. read -r major minor patch <<<"$version"
for expected in "FILEVERSION $major, $minor, $patch, 0" "VALUE \"ProductName\", \"tarvelix\"" \
    "VALUE \"ProductVersion\", \"$version\"" "VALUE \"FileVersion\", \"$version\""; do
    grep -Fq "$expected" <<<"$resources" || {
        echo "the version resource of tarvelix.exe lacks: $expected"
        echo "$resources"
        exit 1
    }
done
grep -Eq 'VALUE "FileDescription", "[^"]+' <<<"$resources" ||
    { echo "the version resource of tarvelix.exe has no description"; exit 1; }

echo "$zip_name and its checksum: tarvelix.exe (stripped, $size bytes, version $version)," \
    "tvset.cmd, README.txt, manual.html ($(wc -l <<<"$links") internal links), LICENSE;" \
    "CHANGELOG.md's newest version is $version"
