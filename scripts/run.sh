#!/usr/bin/env bash
# Builds Markvane and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
exec ./build/bin/markvane "$@"
