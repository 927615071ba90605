#!/usr/bin/env bash
# The desktop entry for Internet Shortcut files as a file manager uses it, on an installed copy
# in a private XDG data folder: xdg-mime names it the default for application/x-mswinurl, and
# its command line hands each file's URL to the browser, here a stand-in that records it.
#   open_entry_test.sh BUILD_DIR
set -euo pipefail
build=$1
for tool in xdg-mime xdg-open update-desktop-database xvfb-run; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
fail() { echo "FAIL: $*" >&2; exit 1; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cmake --install "$build" --prefix "$tmp/usr" >/dev/null
apps=$tmp/usr/share/applications
[ -f "$apps/markvane-open.desktop" ] || fail "markvane-open.desktop is not installed"
update-desktop-database "$apps"

# Only the private folders count: no desktop's own settings, no browser of the machine.
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID
export HOME=$tmp XDG_DATA_HOME=$tmp/usr/share XDG_DATA_DIRS=$tmp/usr/share
export XDG_CONFIG_HOME=$tmp/config XDG_CONFIG_DIRS=$tmp/config
export PATH=$tmp/usr/bin:$PATH
mkdir -p "$XDG_CONFIG_HOME"

default=$(xdg-mime query default application/x-mswinurl)
[ "$default" = markvane-open.desktop ] || fail "default for application/x-mswinurl: '$default'"
if [ -f /usr/share/mime/globs2 ]; then
  grep -q 'application/x-mswinurl:\*\.url' /usr/share/mime/globs2 ||
    fail "the shared MIME database does not map *.url to application/x-mswinurl"
fi

cat >"$tmp/browser" <<EOS
#!/bin/sh
printf '%s\n' "\$@" >>"$tmp/opened"
EOS
chmod +x "$tmp/browser"
export BROWSER=$tmp/browser

mkdir "$tmp/fav"
printf '[InternetShortcut]\r\nURL=http://tenki.jp/\x93\x56\x8b\x43\r\n' >"$tmp/fav/天気.url" # CP932
printf '\xef\xbb\xbf[InternetShortcut]\r\nURL=https://ja.wikipedia.org/wiki/日本?a=1&b=2\r\n' \
  >"$tmp/fav/wiki page.url"

# The entry's command line with %F standing for the files, as the desktop runs it.
exec_line=$(sed -n 's/^Exec=//p' "$apps/markvane-open.desktop")
args=()
for word in $exec_line; do
  if [ "$word" = %F ]; then args+=("$tmp/fav/天気.url" "$tmp/fav/wiki page.url"); else args+=("$word"); fi
done
# The test suite runs with the offscreen platform, which cannot hand a URL to a browser: the
# entry runs on the X server, as on a desktop.
unset QT_QPA_PLATFORM
timeout 60 xvfb-run -a "${args[@]}" || fail "${args[*]} exited with $?"

# The browser is started in the background: wait for both addresses.
for _ in $(seq 100); do
  [ -f "$tmp/opened" ] && [ "$(wc -l <"$tmp/opened")" -ge 2 ] && break
  sleep 0.1
done
expected=$(printf '%s\n' 'http://tenki.jp/%E5%A4%A9%E6%B0%97' \
  'https://ja.wikipedia.org/wiki/%E6%97%A5%E6%9C%AC?a=1&b=2' | sort)
got=$(sort "$tmp/opened" 2>/dev/null || true)
[ "$got" = "$expected" ] || fail "the browser got: $got"
echo "ok"
