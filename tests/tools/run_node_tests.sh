#!/usr/bin/env bash
# Runs the MVT converter's tests with node's built-in runner. Exits 77, which
# CTest reads as "skipped", when node or npm is missing or too old.
set -euo pipefail
dir="$1"

if ! command -v node >/dev/null 2>&1 || ! command -v npm >/dev/null 2>&1; then
    echo "node or npm not found: converter tests skipped"
    exit 77
fi
major=$(node -p 'process.versions.node.split(".")[0]')
if [ "$major" -lt 18 ]; then
    echo "node $major is older than 18: converter tests skipped"
    exit 77
fi
if [ ! -d "$dir/node_modules" ]; then
    npm ci --prefix "$dir" --no-audit --no-fund
fi
cd "$dir"
node --test test/*.test.js
