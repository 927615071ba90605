#!/usr/bin/env bash
# Formats the project's C and C++ sources with its .clang-format, or with --check lists the
# files that differ and fails. The file list comes from git, so build trees and generated
# files are never touched.
set -euo pipefail
cd "$(dirname "$0")/.."
CLANG_FORMAT=${CLANG_FORMAT:-clang-format}
mapfile -t files < <(git ls-files '*.cpp' '*.h' '*.c')
if [ "${1:-}" = --check ]; then
  bad=()
  for f in "${files[@]}"; do
    "$CLANG_FORMAT" --dry-run --Werror "$f" >/dev/null 2>&1 || bad+=("$f")
  done
  if [ ${#bad[@]} -gt 0 ]; then
    printf 'not formatted: %s\n' "${bad[@]}"
    echo "run: cmake --build build --target format"
    exit 1
  fi
  echo "format-check: ${#files[@]} files formatted"
else
  "$CLANG_FORMAT" -i "${files[@]}"
fi
