#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan + UBSan) and runs each for the
# given number of seconds (default 10), starting from the generated seeds and
# the kept regressions. A crash leaves its input in build/fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-10}"

bash scripts/setup.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"

build=build/fuzz
mkdir -p "$build/findings"
for exe in "$build"/fuzz/fuzz_*; do
    [ -x "$exe" ] || continue
    name=$(basename "$exe"); name=${name#fuzz_}
    work="$build/work/$name"
    mkdir -p "$work"
    cp -r "$build/fuzz/corpus/$name/." "$work/" 2>/dev/null || true
    cp -r "fuzz/regressions/$name/." "$work/" 2>/dev/null || true
    dict=()
    [ -f "fuzz/$name.dict" ] && dict=(-dict="fuzz/$name.dict")
    echo "fuzz: $name for ${seconds}s"
    "$exe" "$work" "${dict[@]}" -max_total_time="$seconds" -rss_limit_mb=4096 -timeout=10 \
        -artifact_prefix="$build/findings/$name-" -print_final_stats=1 2>&1 | grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|#[0-9]+ +DONE|==[0-9]+==ERROR|SUMMARY)' || true
    if ls "$build/findings/$name-"* >/dev/null 2>&1; then
        echo "fuzz: $name found a failing input, kept in $build/findings/" >&2
        exit 1
    fi
done
echo "fuzz: no findings"
