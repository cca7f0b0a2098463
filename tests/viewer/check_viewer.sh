#!/usr/bin/env bash
# meshory-viewer headless: renders the San Francisco sample on Xvfb through
# Mesa's llvmpipe, as a user would see it, and checks the frame (FrameCheck),
# the picks against the C++ side (viewer_pick_check), GL's error state over a
# scripted orbit, and that no native of the library drew a JNI warning under
# -Xcheck:jni. Exits 77 (skipped) where Xvfb, Mesa or LWJGL is missing.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
viewer="$1" pick_check="$2" pack="$3" style="$4" work="$5" java="$6" classes="$7" library="$8"
size=1280x800

if [ ! -x "$viewer" ]; then
    echo "meshory-viewer was not built (LWJGL 2 missing: scripts/setup.sh installs it): skipped"
    exit 77
fi
if ! ls /usr/lib/*/dri/swrast_dri.so >/dev/null 2>&1; then
    echo "no Mesa software driver (libgl1-mesa-dri): skipped"
    exit 77
fi

rm -rf "$work"
mkdir -p "$work"
JAVA_OPTS="-Xcheck:jni" bash "$here/../../scripts/headless.sh" "$size" "$viewer" --check "$work" \
    --size "$size" --yaw 200 --pitch 50 --zoom 0.46 --style "$style" "$pack" >"$work/viewer.log" 2>&1
status=$?
# The JDK's warnings run to thousands of lines: the log keeps them.
grep -v -E '^(WARNING in native method|[[:space:]]+at |[[:space:]]+- locked)' "$work/viewer.log"
[ "$status" -eq 77 ] && exit 77
if [ "$status" -ne 0 ]; then
    echo "the viewer failed (status $status)" >&2
    exit 1
fi
echo "screenshot: $work/frame.png"

fail=0
# -Xcheck:jni: each warning names the native it caught in the next stack
# frame. The library's natives (quorvan.*, cpp.geometry.*) must draw none.
# The JDK's own font rasteriser and LWJGL 2 draw some of their own (calls
# left unchecked inside them); those are counted apart.
awk '/WARNING in native method|FATAL ERROR in native method/ {w = 1; next}
     w && /^[[:space:]]+at / {print $2; w = 0}' "$work/viewer.log" >"$work/jni-warnings.txt"
ours=$(grep -Ec '^(quorvan|cpp\.geometry)\.' "$work/jni-warnings.txt")
others=$(grep -Evc '^(quorvan|cpp\.geometry)\.' "$work/jni-warnings.txt")
echo "-Xcheck:jni warnings: $ours from the library's natives; $others from the JDK's and LWJGL's own:"
grep -Ev '^(quorvan|cpp\.geometry)\.' "$work/jni-warnings.txt" | sed 's/(.*//' | sort | uniq -c
if [ "$ours" -ne 0 ]; then
    grep -E '^(quorvan|cpp\.geometry)\.' "$work/jni-warnings.txt" >&2
    fail=1
fi
if ! grep -q '^orbit: 60 frames, 0 GL errors$' "$work/viewer.log"; then
    echo "GL errors during the orbit" >&2
    fail=1
fi

"$java" -Dmeshory.library="$library" -cp "$classes" "$here/FrameCheck.java" \
    "$work/frame.png" "$work/labels.tsv" "$style" "$work/frame-plain.png" || fail=1
"$pick_check" "$pack" "$style" "$work/picks.tsv" || fail=1
exit "$fail"
