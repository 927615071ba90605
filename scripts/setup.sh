#!/usr/bin/env bash
# Installs every Debian package the project needs (only those missing), then
# configures and builds into ./build. Safe to run again and again. Arguments go to CMake's
# configure step (scripts/test.sh passes -DMARKVANE_WERROR=ON).
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  g++ cmake ninja-build pkg-config make clang-format
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6svg6 qt6-qpa-plugins
  libgl-dev libcurl4-openssl-dev libicu-dev libattr1-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-ipafont-gothic fonts-noto-cjk breeze-icon-theme
  # Qt's own dialogs and buttons in Japanese
  qt6-translations-l10n
  xvfb xauth imagemagick poppler-utils python3 curl
  lhasa libarchive-tools 7zip jlha-utils gzip
  # bench/web/LinkCheckBench.cpp: the peer it is measured against
  linkchecker
  # bookmark files: libxml2's HTML parser; buku reads the export back in the tests; the
  # desktop entry for *.url files is checked with xdg-utils and the shared MIME database
  libxml2-dev buku xdg-utils desktop-file-utils shared-mime-info
  # scripts/fuzz.sh: clang, its libFuzzer and sanitizer runtimes, llvm-symbolizer
  clang libclang-rt-dev llvm
  # scripts/package.sh and scripts/test-package.sh: the Debian package and its checks
  dpkg-dev fakeroot lintian desktop-file-utils appstream
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build build -j2
