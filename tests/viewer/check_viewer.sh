#!/usr/bin/env bash
# meshory-viewer headless: renders the San Francisco sample on Xvfb through
# Mesa's llvmpipe, as a user would see it, and checks the frame (FrameCheck),
# the picks, orthographic and perspective, against the library's C++ call
# (viewer_pick_check), GL's error state over a scripted orbit, and that no
# native of the library drew a JNI warning under -Xcheck:jni. Then labels in
# five scripts from a grid-less pack against Java2D's own drawing
# (ScriptsCheck), and bad input: one line on stderr, a non-zero status, no
# stack trace, no hs_err file. Exits 77 (skipped) where Xvfb, Mesa or LWJGL
# is missing.
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
# frame. The library's natives (quorvan.meshory, cpp.geometry) must draw none.
# The JDK's own font rasteriser and LWJGL 2 draw some of their own (calls
# left unchecked inside them); those are counted apart.
awk '/WARNING in native method|FATAL ERROR in native method/ {w = 1; next}
     w && /^[[:space:]]+at / {print $2; w = 0}' "$work/viewer.log" >"$work/jni-warnings.txt"
# The viewer's own classes have no natives: a warning printed while two
# threads shape labels at once can land beside one of their frames.
ours_re='^(quorvan\.(meshory|_native)|cpp\.geometry)\.'
ours=$(grep -Ec "$ours_re" "$work/jni-warnings.txt")
others=$(grep -Evc "$ours_re" "$work/jni-warnings.txt")
echo "-Xcheck:jni warnings: $ours from the library's natives; $others from the JDK's and LWJGL's own:"
grep -Ev "$ours_re" "$work/jni-warnings.txt" | sed 's/(.*//' | sort | uniq -c
if [ "$ours" -ne 0 ]; then
    grep -E "$ours_re" "$work/jni-warnings.txt" >&2
    fail=1
fi
if ! grep -q '^orbit: 60 frames, 0 GL errors$' "$work/viewer.log"; then
    echo "GL errors during the orbit" >&2
    fail=1
fi

"$java" -Dmeshory.library="$library" -cp "$classes" "$here/FrameCheck.java" \
    "$work/frame.png" "$work/labels.tsv" "$style" "$work/frame-plain.png" || fail=1
"$pick_check" "$pack" "$style" "$work/picks.tsv" || fail=1
"$pick_check" "$pack" "$style" "$work/picks-perspective.tsv" || fail=1

# Five scripts, shaped, and a label no font draws left out and counted.
scripts="$work/scripts"
"$java" "$here/ScriptsCheck.java" write "$scripts" || fail=1
bash "$here/../../scripts/headless.sh" "$size" "$viewer" --check "$scripts/out" --size "$size" \
    --pitch 90 --yaw 180 --fit -300,-550,300,50 "$scripts/scripts.mpk" >"$scripts/log" 2>&1 || {
    cat "$scripts/log"
    fail=1
}
"$java" "$here/ScriptsCheck.java" check "$scripts" "$scripts/out/frame.png" \
    "$scripts/out/labels.tsv" "$scripts/log" || fail=1

# Bad input: one line each, non-zero, no trace, no hs_err file.
bad() {
    (cd "$scripts" && bash "$here/../../scripts/headless.sh" "$size" "$viewer" --png "$scripts/bad.png" \
        "$@" >/dev/null 2>"$scripts/bad.err")
    local status=$?
    echo "bad input ($*): status $status: $(cat "$scripts/bad.err")"
    if [ "$status" -eq 0 ] || [ "$(wc -l <"$scripts/bad.err")" -ne 1 ] || ls "$scripts"/hs_err* >/dev/null 2>&1; then
        echo "FAIL: not one line and a non-zero status" >&2
        fail=1
    fi
}
bad --size 100000x100000 "$scripts/scripts.mpk"
bad "$scripts/infinite.mpk"
bad --style "$scripts/huge.sld" "$scripts/scripts.mpk"
bad --style "$scripts/missing.sld" "$scripts/scripts.mpk"
exit "$fail"
