#!/usr/bin/env bash
# meshory-inspect on the sample pack: its counts match the kept ones, it
# writes glTF, SVG and (where the page script was built) the 3D page, and it
# refuses a missing, truncated or foreign file with exit status 1 and a
# message that names the pack, says why and, for a bad pack, where.
set -euo pipefail
inspect="$1" pack="$2" expected="$3" work="$4"
rm -rf "$work"
mkdir -p "$work"

"$inspect" --counts --quiet "$pack" > "$work/counts.txt"
# Text on a Windows program's standard output ends its lines with CR LF.
if ! diff -u --strip-trailing-cr "$expected" "$work/counts.txt"; then
    echo "the sample's counts changed; if the builders changed on purpose, copy $work/counts.txt to $expected" >&2
    exit 1
fi

"$inspect" --quiet --out "$work/out" "$pack" > "$work/table.txt"
grep -q '^ *total' "$work/table.txt"
stem=$(basename "$pack" .mpk)
outputs=("$stem.gltf" "$stem.bin" "$stem.svg")
script="$(dirname "$inspect")/meshory-page.js"
[ -s "$script" ] && outputs+=("$stem.html")
for f in "${outputs[@]}"; do
    [ -s "$work/out/$f" ] || { echo "missing output $f" >&2; exit 1; }
done
# The page script named on the command line, also by the option's former
# name, which older scripts still pass: the same page.
if [ -s "$script" ]; then
    for option in --page-script --viewer; do
        "$inspect" --quiet "$option" "$script" --page "$work/page.html" "$pack" > /dev/null
        cmp -s "$work/page.html" "$work/out/$stem.html" || { echo "$option gave another page" >&2; exit 1; }
    done
fi
grep -q '"version":"2.0"' "$work/out/$stem.gltf"
grep -q '</svg>' "$work/out/$stem.svg"

refused() {  # file, expected message
    local status=0
    "$inspect" --quiet "$1" > /dev/null 2> "$work/err.txt" || status=$?
    if [ "$status" -ne 1 ] || ! grep -q "$2" "$work/err.txt" || ! grep -qF "$1: " "$work/err.txt"; then
        echo "$1: expected exit 1 and '$2', got $status: $(cat "$work/err.txt")" >&2
        exit 1
    fi
}
refused "$work/missing.mpk" "cannot open"
head -c 1000 "$pack" > "$work/truncated.mpk"
refused "$work/truncated.mpk" "truncated.*(at byte [0-9]*)"
printf 'PK\003\004 not a pack' > "$work/foreign.mpk"
refused "$work/foreign.mpk" "not a blob pack.*(at byte 0)"

status=0
"$inspect" --bogus "$pack" > /dev/null 2>&1 || status=$?
[ "$status" -eq 2 ] || { echo "a bad option gave $status, not 2" >&2; exit 1; }
echo "inspect.sample: counts, outputs and refusals as expected"
