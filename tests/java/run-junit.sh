#!/usr/bin/env bash
# Runs the JUnit suite in a real JVM with -Xcheck:jni and fails on any JNI
# warning the JVM prints, even when every test passed. MESHORY_JVM_PRELOAD,
# when set, is preloaded into the JVM (and so into the JVMs it starts); with
# MESHORY_SANITIZER_REPORTS set (the folder the sanitizers' log_path points
# to), any report there fails the run too.
# MESHORY_JUNIT_ARGS adds options for the launcher (words split at spaces),
# e.g. --exclude-classname REGEX.
set -u
java="$1" launcher="$2" classpath="$3" library="$4"
shift 4
reports="${MESHORY_SANITIZER_REPORTS:-}"
if [ -n "$reports" ]; then
    rm -rf "$reports"
    mkdir -p "$reports"
fi
read -r -a extra <<< "${MESHORY_JUNIT_ARGS:-}"
out=$(mktemp)
trap 'rm -f "$out"' EXIT
LD_PRELOAD="${MESHORY_JVM_PRELOAD:-}" "$java" -Xcheck:jni -Dmeshory.library="$library" "$@" \
    -jar "$launcher" --class-path "$classpath" --scan-class-path \
    --disable-banner --details=summary --fail-if-no-tests "${extra[@]}" 2>&1 | tee "$out"
status=${PIPESTATUS[0]}
if grep -E -q 'WARNING in native method|WARNING: JNI|JNI warning|FATAL ERROR in native method' "$out"; then
    echo "run-junit: the JVM reported JNI warnings (see above)" >&2
    exit 1
fi
if [ -n "$reports" ] && [ -n "$(ls -A "$reports")" ]; then
    cat "$reports"/* >&2
    echo "run-junit: the sanitizer reported errors (see above, kept in $reports)" >&2
    exit 1
fi
exit "$status"
