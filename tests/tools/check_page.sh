#!/usr/bin/env bash
# The 3D page in a real browser: headless Chromium loads the page of the San
# Francisco sample from disk (no server, no network), the page must report
# every model and every label of the glTF in the scene and no error, and a
# screenshot must show the scene: most pixels not background, and several
# layers' colours present. Exits 77 (skipped) where no Chromium is installed.
set -euo pipefail
inspect="$1" pack="$2" work="$3"
background="#dde4ea"  # the page's scene background

browser=""
for candidate in chromium chromium-browser google-chrome; do
    if command -v "$candidate" >/dev/null 2>&1; then browser=$(command -v "$candidate"); break; fi
done
if [ -z "$browser" ]; then
    echo "no Chromium installed (scripts/setup.sh installs the Debian package): browser test skipped"
    exit 77
fi
if ! command -v node >/dev/null 2>&1; then
    echo "node not found: browser test skipped (it decodes the screenshot)"
    exit 77
fi

if [ ! -s "$(dirname "$inspect")/meshory-page.js" ]; then
    echo "the page script was not built (it needs npm): browser test skipped"
    exit 77
fi

rm -rf "$work"
mkdir -p "$work"
stem=$(basename "$pack" .mpk)
page="$work/$stem.html"
"$inspect" --quiet --page "$page" "$pack" > /dev/null
url="file://$(cd "$work" && pwd)/$stem.html"

# Headless without a GPU: WebGL through SwiftShader. Virtual time lets the
# page finish loading before the DOM is read or the picture taken.
chrome() {
    local profile
    profile=$(mktemp -d "$work/profile.XXXXXX")
    timeout 120 "$browser" --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
        --disable-background-networking --disable-component-update --disable-sync \
        --disable-dev-shm-usage --user-data-dir="$profile" \
        --use-angle=swiftshader --enable-unsafe-swiftshader --enable-logging=stderr --v=0 \
        --window-size=1280,800 --hide-scrollbars --virtual-time-budget=30000 "$@"
}

# The DOM with a pick at the centre of the view (page.html#pick).
chrome --dump-dom "$url#pick" > "$work/dom.html" 2> "$work/dom.log"
body=$(grep -o '<body[^>]*>' "$work/dom.html" || true)
state=$(sed -n 's/.*data-state="\([^"]*\)".*/\1/p' <<< "$body")
errors=$(sed -n 's/.*data-errors="\([^"]*\)".*/\1/p' <<< "$body")
models=$(sed -n 's/.*data-models="\([^"]*\)".*/\1/p' <<< "$body")
loaded=$(sed -n 's/.*data-loaded="\([^"]*\)".*/\1/p' <<< "$body")
picked=$(sed -n 's/.*data-picked="\([^"]*\)".*/\1/p' <<< "$body")
labels=$(sed -n 's/.*data-labels="\([^"]*\)".*/\1/p' <<< "$body")
drawn=$(sed -n 's/.*data-labels-drawn="\([^"]*\)".*/\1/p' <<< "$body")
echo "page: state ${state:-none}, ${loaded:-0} of ${models:-0} models loaded, ${drawn:-0} of ${labels:-0} labels drawn, ${errors:-?} errors; centre pick: ${picked:-none}"
fail=0
if [ "$state" != "loaded" ] || [ -z "$models" ] || [ "$models" -eq 0 ] || [ "$loaded" != "$models" ]; then
    echo "the page did not report every model loaded: $body" >&2
    fail=1
fi
if [ -z "$labels" ] || [ "$labels" -eq 0 ] || [ "$drawn" != "$labels" ]; then
    echo "the page did not draw every label of the glTF" >&2
    fail=1
fi
if [ "$errors" != "0" ] || grep -E 'CONSOLE.*(Uncaught|Error)' "$work/dom.log" >&2; then
    echo "the page reported errors on the console" >&2
    fail=1
fi
if ! grep -q '^layer [0-9-]* .*, id [0-9]*' <<< "$picked"; then
    echo "a pick at the centre of the view named no model" >&2
    fail=1
fi
[ "$fail" -eq 0 ] || exit 1

chrome --screenshot="$work/$stem-3d.png" "$url" > /dev/null 2> "$work/shot.log"
[ -s "$work/$stem-3d.png" ] || { echo "no screenshot" >&2; exit 1; }
mapfile -t fills < <(grep -o 'data-layer="[^"]*" data-fill="#[0-9a-f]*"' "$work/dom.html" |
    sed 's/data-layer="\([^"]*\)" data-fill="\(#[0-9a-f]*\)"/\1=\2/' | tr ' ' '_')
stats=$(node "$(dirname "$0")/png_stats.js" "$work/$stem-3d.png" "$background" "${fills[@]}")
echo "screenshot $work/$stem-3d.png: $stats"
# At least a third of the picture is scene, and at least three layers'
# colours each cover 0.2 % of it.
node -e '
const s = JSON.parse(process.argv[1]);
const present = Object.entries(s.layers).filter(([, share]) => share >= 0.002).map(([n]) => n);
console.log(`scene ${(100 * s.scene).toFixed(1)} %, layer colours present: ${present.join(", ")}`);
if (s.scene < 0.33) { console.error("the screenshot is mostly background"); process.exit(1); }
if (present.length < 3) { console.error("fewer than three layer colours in the screenshot"); process.exit(1); }
' "$stats"
