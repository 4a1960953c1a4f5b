#!/bin/sh
# Applies the project's clang-format style to every C++ file we own.
# With --check, only reports files that differ and fails if any do.
set -eu
cd "$(dirname "$0")/.."
files=$(git ls-files '*.h' '*.cpp')
if [ "${1:-}" = "--check" ]; then
  # shellcheck disable=SC2086
  clang-format --dry-run --Werror $files
else
  # shellcheck disable=SC2086
  clang-format -i $files
fi
