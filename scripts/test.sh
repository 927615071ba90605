#!/usr/bin/env bash
# Builds everything and runs the whole test suite; ends with ctest's summary.
# First the libraries without widgets and their tests run once more, built with ASan and UBSan
# in ./build-asan (MARKVANE_SKIP_SANITIZE=1 leaves that out); any failure of either run fails
# the script. Warnings are errors here, and every source must match .clang-format.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh -DMARKVANE_WERROR=ON
cmake --build build --target format-check
export QT_QPA_PLATFORM=offscreen

sanitized=0
if [ "${MARKVANE_SKIP_SANITIZE:-0}" != 1 ]; then
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMARKVANE_SANITIZE=ON >/dev/null
  # Each test is an executable target of its own name; building just those leaves the
  # program and its widget libraries out.
  mapfile -t tests < <(ctest --test-dir build-asan -N | sed -n 's/^ *Test *#[0-9]*: //p')
  cmake --build build-asan -j2 --target "${tests[@]}"
  # Leaks count: the library runs inside the long-lived program, once per archive.
  # halt_on_error stops at the first report, so a failing test names it.
  ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-asan -j2 --output-on-failure --timeout 1800 "$@" || sanitized=$?
  if [ "$sanitized" -ne 0 ]; then
    echo "*** tests built with ASan and UBSan failed (build-asan); the normal run follows"
  fi
fi

cd build
ctest -j2 --output-on-failure --timeout 900 "$@"
exit "$sanitized"
