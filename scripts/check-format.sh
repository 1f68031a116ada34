#!/usr/bin/env bash
# Fails when a C++ file of the tree does not follow .clang-format.
set -euo pipefail
cd "$(dirname "$0")/.."
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    mapfile -t files < <(git ls-files '*.cpp' '*.h')
else
    mapfile -t files < <(find src sim tests bench -name '*.cpp' -o -name '*.h' | sort)
fi
if ! clang-format --dry-run --Werror "${files[@]}"; then
    echo "The files above do not follow .clang-format; run: clang-format -i <file>" >&2
    exit 1
fi
