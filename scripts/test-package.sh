#!/usr/bin/env bash
# Builds the Debian package from an existing build tree (no second build), checks the desktop
# entries, the software-centre metadata and the package with Debian's own tools, installs the
# package into an empty root, runs the installed program, removes the package and checks that
# nothing is left behind.
#   bash scripts/test-package.sh [BUILD_DIR]     (default: build)
# Exits 77 (skipped) when the package tools are missing.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$src/build}" && pwd)

missing=()
for tool in dpkg dpkg-deb dpkg-parsechangelog lintian desktop-file-validate appstreamcli cpack man; do
  command -v "$tool" >/dev/null || missing+=("$tool")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "skipped: missing ${missing[*]}"
  exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "FAILED: $*" >&2
  exit 1
}

echo "== desktop-file-validate"
desktop_entries=("$src"/resources/*.desktop)
desktop-file-validate "${desktop_entries[@]}"
echo "== appstreamcli validate"
appstreamcli validate --no-net "$src"/resources/*.metainfo.xml

echo "== cpack"
cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" ||
  { cat "$work/cpack.log"; fail "cpack"; }
debs=("$work"/out/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one package, got: ${debs[*]}"
deb=${debs[0]}
echo "$(basename "$deb")"
dpkg-deb --field "$deb"

# One version everywhere: package, changelog, software-centre release.
version=$(dpkg-deb -f "$deb" Version)
changelog_version=$(dpkg-parsechangelog -l "$src/packaging/changelog" -S Version)
metainfo_version=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' \
  "$src"/resources/*.metainfo.xml | head -n 1)
[ "$changelog_version" = "$version" ] ||
  fail "packaging/changelog is at $changelog_version, the package at $version"
[ "$metainfo_version" = "$version" ] ||
  fail "the metainfo's latest release is $metainfo_version, the package $version"

# The library dependencies were computed (shlibdeps), the run-time ones declared.
depends=$(dpkg-deb -f "$deb" Depends)
for want in libqt6widgets6 libcurl4 qt6-qpa-plugins fonts-ipafont-gothic; do
  [[ $depends == *"$want"* ]] || fail "Depends lacks $want: $depends"
done

dpkg-deb --contents "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$work/contents"
expected=(/usr/bin/markvane /usr/lib/markvane/markvane /usr/lib/markvane/libunlha32.so
  /usr/lib/markvane/help.htm /usr/share/man/man1/markvane.1.gz
  /usr/share/icons/hicolor/scalable/apps/markvane.svg /usr/share/doc/markvane/copyright
  /usr/share/doc/markvane/changelog.gz)
for f in "${desktop_entries[@]}"; do expected+=("/usr/share/applications/$(basename "$f")"); done
for f in "$src"/resources/*.metainfo.xml; do expected+=("/usr/share/metainfo/$(basename "$f")"); done
for f in "${expected[@]}"; do
  grep -qxF "$f" "$work/contents" || fail "the package lacks $f"
done

echo "== manual page"
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/man/man1/markvane.1.gz >"$work/markvane.1.gz"
man_warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 \
  man --warnings -E UTF-8 -l -Tutf8 -Z "$work/markvane.1.gz" 2>&1 >/dev/null)
[ -z "$man_warnings" ] || fail "markvane(1): $man_warnings"

echo "== lintian"
lintian --fail-on error --display-info "$deb" || fail "lintian reports errors"

echo "== install into an empty root"
root="$work/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/var/log"
touch "$root/var/lib/dpkg/status" "$root/var/lib/dpkg/available"
as_root=()
if [ "$(id -u)" -ne 0 ]; then
  command -v fakeroot >/dev/null || { echo "skipped: not root and no fakeroot"; exit 77; }
  as_root=(fakeroot)
fi
# The empty root has none of the libraries: the host's serve the installed program.
dpkg_root() { "${as_root[@]}" dpkg --root="$root" --force-depends --force-not-root "$@"; }
dpkg_root --install "$deb" >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg --install"; }

# The installed listing finds its desktop entry (launchable) and icon.
appstreamcli validate-tree --no-net "$root" || fail "appstreamcli validate-tree"

program="$root/usr/bin/markvane"
[[ $(readlink -f "$program") == "$root/usr/lib/markvane/markvane" ]] ||
  fail "/usr/bin/markvane leads to $(readlink -f "$program")"
# No display: --version must answer before the program needs one.
got=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" --version) ||
  fail "the installed markvane --version failed"
echo "$got"
[ "$got" = "Markvane $version" ] || fail "markvane --version said '$got'"

echo "== remove"
dpkg_root --purge markvane >>"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg --purge"; }
left=$(cd "$root" && find . -mindepth 1 ! -path './var' ! -path './var/lib' ! -path './var/log' \
  ! -path './var/log/dpkg.log' ! -path './var/lib/dpkg' ! -path './var/lib/dpkg/*')
[ -z "$left" ] || fail "left behind after removal: $left"
if dpkg_root --status markvane 2>/dev/null | grep -q '^Status: install'; then
  fail "still registered as installed"
fi
echo "package test passed"
