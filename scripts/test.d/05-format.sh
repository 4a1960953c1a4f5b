#!/bin/sh
# Every C++ file we own keeps the project's clang-format style: any file that
# differs is named and fails the stage (scripts/format.sh applies the style).
set -eu
sh scripts/format.sh --check
echo "format: every file keeps the style"
