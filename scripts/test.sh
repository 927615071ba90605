#!/usr/bin/env bash
# Builds everything and runs the whole test suite; ends with ctest's summary.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cd build
export QT_QPA_PLATFORM=offscreen
ctest -j2 --output-on-failure --timeout 900 "$@"
