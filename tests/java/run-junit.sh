#!/usr/bin/env bash
# Runs the JUnit suite in a real JVM with -Xcheck:jni and fails on any JNI
# warning the JVM prints, even when every test passed.
set -u
java="$1" launcher="$2" classpath="$3" library="$4"
shift 4
out=$(mktemp)
trap 'rm -f "$out"' EXIT
"$java" -Xcheck:jni -Dmeshory.library="$library" "$@" \
    -jar "$launcher" --class-path "$classpath" --scan-class-path \
    --disable-banner --details=summary --fail-if-no-tests 2>&1 | tee "$out"
status=${PIPESTATUS[0]}
if grep -E -q 'WARNING in native method|WARNING: JNI|JNI warning|FATAL ERROR in native method' "$out"; then
    echo "run-junit: the JVM reported JNI warnings (see above)" >&2
    exit 1
fi
exit "$status"
