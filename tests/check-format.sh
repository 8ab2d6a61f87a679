#!/bin/sh
# check-format.sh: every tracked C++ file as .clang-format makes it. Names each
# file that differs, with the first lines clang-format would change; ./format
# mends them all.
cd "$(dirname "$0")/.." || exit 1
command -v clang-format >/dev/null || { echo "clang-format is missing (cmake/install-deps.sh installs it)"; exit 1; }
files=$(git ls-files '*.cpp' '*.h') || { echo "not a git checkout: cannot list the tracked files"; exit 1; }
[ -n "$files" ] || { echo "no C++ files found"; exit 1; }
bad=0
for f in $files; do
    if ! clang-format --dry-run -Werror "$f" >/dev/null 2>&1; then
        echo "not formatted: $f"
        clang-format --dry-run "$f" 2>&1 | head -6
        bad=$((bad + 1))
    fi
done
echo "$(echo "$files" | wc -l) files checked, $bad not formatted$([ $bad -gt 0 ] && echo '; run ./format')"
[ $bad -eq 0 ]
