#!/usr/bin/env bash
# A first look at Brindle: installs what is missing, builds, and runs it on a copy of the example
# project: add-all, the diff of what it added, remove-code-all, and a check that every file is
# back to its original bytes. Your own Brindle options are not touched.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target brindle
brindle="$PWD/build/apps/brindle"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp -r examples "$work/original"
cp -r examples "$work/Inventory"
export BRINDLE_SETTINGS="$work/settings.ini"
cd "$work/Inventory"

# The example's files are Windows-1252 with CRLF line ends, as VB6 writes them; the diff is
# shown in the terminal's UTF-8 without the CRs.
show_diff() {
    { diff -ru ../original . || true; } | iconv -f CP1252 -t UTF-8 | sed 's/\r$//'
}

echo
echo "== brindle add-all Inventory.vbp --yes"
"$brindle" add-all Inventory.vbp --yes
echo
echo "== What it added"
show_diff
echo
echo "== brindle remove-code-all Inventory.vbp --yes"
"$brindle" remove-code-all Inventory.vbp --yes
echo
echo "== Every file against the original"
status=0
while IFS= read -r file; do
    if cmp -s "../original/$file" "$file"; then
        echo "same bytes  $file"
    else
        echo "DIFFERENT   $file"
        status=1
    fi
done < <(cd ../original && find . -type f | sort)
if [ "$status" -eq 0 ]; then
    echo "Every file is back to its original bytes."
fi
exit "$status"
