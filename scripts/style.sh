#!/usr/bin/env bash
# The tree's source style, checked by the test suite (format.cpp, format.java,
# docs.links) and fixed where a tool can fix it:
#   bash scripts/style.sh cpp      every C++ file as clang-format 14 writes it
#   bash scripts/style.sh java     every Java line, the README's and docs' Java
#                                  snippets included, within 100 columns, no tabs
#   bash scripts/style.sh links    every relative link and image in the Markdown
#                                  files resolves to a file
#   bash scripts/style.sh --fix    format every C++ file in place (Java has no
#                                  formatter in Debian: wrap its long lines by hand)
# Exit status 1 lists what is wrong; 77 (skip) where clang-format-14 is missing.
set -euo pipefail
cd "$(dirname "$0")/.."

# The files under version control; a tree without git (an unpacked archive)
# falls back to every file below the folders.
tracked() {
    if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
        git ls-files -- "$@"
    else
        find "$@" -type f 2>/dev/null | sed 's|^\./||' | sort
    fi
}

cpp_files() {
    tracked src tools external tests bench fuzz examples | grep -E '\.(c|cc|cpp|h|hpp)$' || true
}

java_files() {
    tracked . | grep -E '\.java$' || true
}

markdown_files() {
    tracked . | grep -E '\.md$' | grep -v '/node_modules/' || true
}

check_cpp() {
    if ! command -v clang-format-14 >/dev/null 2>&1; then
        echo "style: clang-format-14 is missing (bash scripts/setup.sh installs it)"
        exit 77
    fi
    local files report
    mapfile -t files < <(cpp_files)
    # --dry-run names each file that would change and why; --Werror fails on it.
    if ! report=$(clang-format-14 --dry-run --Werror "${files[@]}" 2>&1); then
        grep -oE '^[^:]+:[0-9]+:[0-9]+: (error|warning)' <<<"$report" | cut -d: -f1 | sort -u |
            sed 's/^/unformatted: /'
        echo "style: format with: bash scripts/style.sh --fix"
        return 1
    fi
    echo "style: ${#files[@]} C++ files formatted"
}

# Characters, not bytes: a UTF-8 locale makes grep count "ä" as one column.
export LC_ALL=C.UTF-8

check_java() {
    local bad=0 f
    while read -r f; do
        if grep -nP '^.{101,}' "$f" | sed "s|^|$f:|; s|\$| (over 100 columns)|" | cut -c1-160 | grep .; then
            bad=1
        fi
        if grep -nP '\t' "$f" | sed "s|^|$f:|; s|\$| (tab)|" | grep .; then bad=1; fi
    done < <(java_files)
    # The Java snippets of the documentation follow the same rule: blank out
    # everything but the ```java blocks, keeping the line numbers.
    while read -r f; do
        if awk '/^```java/ {code = 1; print ""; next} code && /^```/ {code = 0} {print code ? $0 : ""}' "$f" |
            grep -nP '^.{101,}|\t' | sed "s|^|$f:|" | cut -c1-160 | grep .; then
            bad=1
        fi
    done < <(markdown_files)
    if [ "$bad" -ne 0 ]; then
        echo "style: Java lines at most 100 columns, indented with spaces (.editorconfig)"
        return 1
    fi
    echo "style: $(java_files | wc -l) Java files within 100 columns"
}

check_links() {
    local bad=0 f target path
    while read -r f; do
        # [text](target) and ![alt](target), outside code spans; web links
        # and in-page anchors are not files.
        while read -r target; do
            path=${target%%#*}
            case "$target" in http://* | https://* | mailto:* | \#*) continue ;; esac
            [ -n "$path" ] || continue
            if [ ! -e "$(dirname "$f")/$path" ]; then
                echo "$f: broken link: $target"
                bad=1
            fi
        done < <(awk '/^```/ {fence = !fence; next} !fence' "$f" | sed 's/`[^`]*`//g' |
            grep -oP '\]\(\K[^) ]+(?=\))' || true)
    done < <(markdown_files)
    [ "$bad" -eq 0 ] || return 1
    echo "style: every relative link of $(markdown_files | wc -l) Markdown files resolves"
}

case "${1:-}" in
    cpp) check_cpp ;;
    java) check_java ;;
    links) check_links ;;
    --fix)
        mapfile -t files < <(cpp_files)
        clang-format-14 -i "${files[@]}"
        echo "style: formatted ${#files[@]} C++ files"
        ;;
    *)
        echo "usage: bash scripts/style.sh cpp|java|links|--fix" >&2
        exit 2
        ;;
esac
