#!/bin/sh
# Checks that every C and C++ file of the tree is formatted as .clang-format
# says; with --fix, formats them in place.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
if [ "${1:-}" = "--fix" ]; then
    git ls-files -z '*.h' '*.cpp' | xargs -0 clang-format -i
else
    git ls-files -z '*.h' '*.cpp' | xargs -0 clang-format --dry-run --Werror
fi
