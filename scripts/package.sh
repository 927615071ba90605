#!/usr/bin/env bash
# Builds Markvane (installing what it needs, as scripts/run.sh does) and packs it as a Debian
# package into build/: markvane_<version>_<arch>.deb.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cd build
cpack
ls -1 "$PWD"/markvane_*.deb
