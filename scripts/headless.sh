#!/usr/bin/env bash
# Runs a command on a private Xvfb server, with a screen of WxH pixels in
# 24-bit colour, and stops the server afterwards. Xvfb picks a free display
# number itself (-displayfd), so runs side by side never meet. Exits 77
# (skipped, for CTest) where Xvfb is not installed; otherwise with the
# command's status.
#   bash scripts/headless.sh 1280x800 build/release/tools/viewer/meshory-viewer --png out/x.png pack.mpk
set -uo pipefail
size="$1"
shift
if ! command -v Xvfb >/dev/null 2>&1; then
    echo "headless: no Xvfb (scripts/setup.sh installs it)" >&2
    exit 77
fi
dir=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$dir/display" 2>"$dir/xvfb.log" &
server=$!
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; rm -rf "$dir"' EXIT
for _ in $(seq 200); do
    [ -s "$dir/display" ] && break
    if ! kill -0 "$server" 2>/dev/null; then
        echo "headless: Xvfb did not start:" >&2
        cat "$dir/xvfb.log" >&2
        exit 1
    fi
    sleep 0.05
done
if [ ! -s "$dir/display" ]; then
    echo "headless: Xvfb gave no display within 10 s" >&2
    exit 1
fi
DISPLAY=":$(head -n 1 "$dir/display")" "$@"
