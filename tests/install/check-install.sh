#!/usr/bin/env bash
# check-install.sh BUILD_DIR VERSION DEMO_DIR
# Installs the build into a scratch prefix and checks the installed tree with
# the desktop's own tools. Exit status 77 when a needed tool is missing.
set -uo pipefail
build=$1
version=$2
demo=$3
id=org.navora.Navora

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

for tool in cmake desktop-file-validate update-mime-database; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed" >&2; exit 77; }
done

prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

if ! cmake --install "$build" --prefix "$prefix" >"$prefix.log" 2>&1; then
  cat "$prefix.log" >&2
  rm -f "$prefix.log"
  echo "FAIL: cmake --install" >&2
  exit 1
fi
rm -f "$prefix.log"
share=$prefix/share

# The tree.
expected=(
  "bin/navora"
  "libexec/navora/navora-convert"
  "share/applications/$id.desktop"
  "share/metainfo/$id.metainfo.xml"
  "share/mime/packages/$id.xml"
  "share/icons/hicolor/scalable/apps/$id.svg"
)
sizes=(16 22 24 32 48 64 128 256)
for size in "${sizes[@]}"; do
  expected+=("share/icons/hicolor/${size}x${size}/apps/$id.png")
done
for file in "${expected[@]}"; do
  [ -s "$prefix/$file" ] || fail "$file is not installed"
done
[ -x "$prefix/bin/navora" ] || fail "bin/navora is not executable"

# Each PNG is the size of the folder it is in (width and height from the
# IHDR chunk, big-endian at bytes 16 and 20).
png_size() {
  od -An -tu1 -j16 -N8 "$1" | awk '{ print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8 }'
}
for size in "${sizes[@]}"; do
  png=$share/icons/hicolor/${size}x${size}/apps/$id.png
  [ -s "$png" ] || continue
  [ "$(head -c 8 "$png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "$png is not a PNG"
  [ "$(png_size "$png")" = "${size}x${size}" ] || fail "$png is $(png_size "$png"), not ${size}x${size}"
done

# The desktop entry: valid, starting the installed program with files, with
# the icon installed and the document types declared.
desktop=$share/applications/$id.desktop
if [ -s "$desktop" ]; then
  desktop-file-validate "$desktop" || fail "desktop-file-validate $desktop"
  grep -qx 'Exec=navora %F' "$desktop" || fail "the desktop entry does not run 'navora %F'"
  grep -qx "Icon=$id" "$desktop" || fail "the desktop entry's icon is not $id"
  for type in application/x-navora-waypoints application/x-navora-route; do
    grep -q "^MimeType=.*$type;" "$desktop" || fail "the desktop entry does not open $type"
  done
fi

# The AppStream metainfo, where the validator is installed.
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml" >&2 || fail "appstreamcli validate"
else
  echo "note: appstreamcli is not installed; metainfo not validated" >&2
fi

# The document types: the install itself rebuilt the prefix's MIME database,
# which maps the two extensions to them, and the desktop database, which
# names Navora for both. Building it again reports no problems in our package.
# (Our share folder in the search path: otherwise it says that it is not.)
[ -s "$share/mime/globs2" ] || fail "cmake --install did not build the MIME database"
if command -v update-desktop-database >/dev/null; then
  for type in application/x-navora-waypoints application/x-navora-route; do
    grep -q "^$type=.*$id.desktop" "$share/applications/mimeinfo.cache" 2>/dev/null ||
      fail "cmake --install did not make the desktop database open $type with Navora"
  done
fi
if ! mime_output=$(XDG_DATA_DIRS=$share:/usr/share update-mime-database "$share/mime" 2>&1); then
  fail "update-mime-database failed: $mime_output"
elif [ -n "$mime_output" ]; then
  fail "update-mime-database reported problems: $mime_output"
fi
globs=$share/mime/globs2
grep -q ':application/x-navora-waypoints:\*\.nvw$' "$globs" 2>/dev/null || fail ".nvw does not resolve to application/x-navora-waypoints"
grep -q ':application/x-navora-route:\*\.nvr$' "$globs" 2>/dev/null || fail ".nvr does not resolve to application/x-navora-route"
grep -q 'application/x-navora-route' "$share/mime/magic" 2>/dev/null || fail "no magic rule for application/x-navora-route"

# With GIO at hand, the real demo documents resolve by name, and by their
# contents alone once renamed to a name without an extension.
if command -v gio >/dev/null; then
  content_type() {
    XDG_DATA_HOME=$share XDG_DATA_DIRS=$share gio info -a standard::content-type "$1" 2>/dev/null |
      sed -n 's/^ *standard::content-type: //p'
  }
  for pair in "lindau-waypoints.nvw application/x-navora-waypoints" "lindau-round.nvr application/x-navora-route"; do
    set -- $pair
    [ -f "$demo/$1" ] || { fail "$demo/$1 is missing"; continue; }
    [ "$(content_type "$demo/$1")" = "$2" ] || fail "$1 is $(content_type "$demo/$1"), not $2"
    cp "$demo/$1" "$prefix/document"
    [ "$(content_type "$prefix/document")" = "$2" ] || fail "$1 without its extension is $(content_type "$prefix/document"), not $2"
  done
else
  echo "note: gio is not installed; document contents not checked against the magic rules" >&2
fi

# The installed program runs.
out=$("$prefix/bin/navora" --version 2>&1) || fail "installed navora --version exited with $?"
[ "$out" = "navora $version" ] || fail "installed navora --version printed '$out', not 'navora $version'"

# navora convert runs the installed converter, which loads no desktop library.
converter=$prefix/libexec/navora/navora-convert
if [ -x "$converter" ]; then
  ldd "$converter" | grep -q 'libQt6Widgets' && fail "navora-convert loads Qt Widgets"
  "$prefix/bin/navora" convert --quiet "$demo/lindau-round.gpx" "$prefix/round.nvw" ||
    fail "installed navora convert exited with $?"
  [ -s "$prefix/round.nvw" ] || fail "installed navora convert wrote nothing"
  mv "$converter" "$converter.real"
  printf '#!/bin/sh\necho "converter ran: $*"\n' >"$converter"
  chmod +x "$converter"
  out=$("$prefix/bin/navora" convert a.gpx b.nvw 2>&1)
  [ "$out" = "converter ran: convert a.gpx b.nvw" ] || fail "navora convert did not run the installed converter: $out"
  mv "$converter.real" "$converter"
fi

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "install tree in order"
