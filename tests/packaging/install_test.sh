#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a temporary prefix and uses it as an installed
# program is used: HOME and the XDG folders point into a temporary folder,
# romweld.cfg and the stand-in shells lie in the XDG data folder, and the
# installed romweld-cli and sramedit-cli do the demo job. Nothing may be
# written into the prefix. The desktop entries and the AppStream metainfo are
# validated. Every program, man page and metainfo shows the one version.
#   install_test.sh BUILD_DIR DEMO_FOLDER_PROGRAM WINDOWS(ON|OFF) VERSION
set -eu
build=$1
demo_folder=$2
windows=$3
version=$4

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
prefix=$tmp/prefix
failures=0

fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}

expect_file() {
  [ -f "$prefix/$1" ] || fail "not installed: $1"
}

# The size of a PNG from its header: width and height, big-endian, at 16.
png_size() {
  od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d", $3 * 256 + $4, $7 * 256 + $8 }'
}

cmake --install "$build" --prefix "$prefix" >/dev/null

# What is installed, each program with its man page and the version. The
# windows' --version answers without a display.
programs="romweld-cli sramedit-cli"
[ "$windows" = ON ] && programs="$programs romweld sramedit"
for program in $programs; do
  expect_file "bin/$program"
  [ "$(env -i ASAN_OPTIONS="${ASAN_OPTIONS:-}" "$prefix/bin/$program" --version 2>&1)" = "$program $version" ] ||
    fail "$program --version does not print \"$program $version\""
  expect_file "share/man/man1/$program.1.gz"
  gzip -dc "$prefix/share/man/man1/$program.1.gz" |
    grep -q "^\.TH $(echo "$program" | tr a-z A-Z) 1 \"\" \"romweld $version\"" ||
    fail "man page $program does not begin with its title and version"
done
for doc in README.md romweld.cfg copyright changelog.gz; do expect_file "share/doc/romweld/$doc"; done
if [ "$windows" = ON ]; then
  for icon in romweld sramedit; do
    expect_file "share/icons/hicolor/scalable/apps/$icon.svg"
    for size in 48 256; do
      png=share/icons/hicolor/${size}x$size/apps/$icon.png
      expect_file "$png"
      [ -f "$prefix/$png" ] && [ "$(png_size "$prefix/$png")" != "${size}x$size" ] &&
        fail "$png is $(png_size "$prefix/$png"), not ${size}x$size"
    done
  done
  for app in org.romweld.Romweld org.romweld.SramEdit; do
    expect_file "share/applications/$app.desktop"
    expect_file "share/metainfo/$app.metainfo.xml"
    grep -q "<release version=\"$version\" date=\"[0-9-]*\"/>" "$prefix/share/metainfo/$app.metainfo.xml" ||
      fail "$app.metainfo.xml does not name release $version"
    desktop-file-validate --no-hints "$prefix/share/applications/$app.desktop" || fail "desktop-file-validate $app.desktop"
    if command -v appstreamcli >/dev/null 2>&1; then
      appstreamcli validate --no-net "$prefix/share/metainfo/$app.metainfo.xml" >"$tmp/appstream.log" 2>&1 ||
        { cat "$tmp/appstream.log" >&2; fail "appstreamcli validate $app.metainfo.xml"; }
    else
      echo "appstreamcli not installed: metainfo not validated"
    fi
  done
  grep -q '^MimeType=application/x-nes-rom;$' "$prefix/share/applications/org.romweld.Romweld.desktop" ||
    fail "romweld's desktop entry lacks its MIME type"
fi
if ls "$prefix/share/romweld" >/dev/null 2>&1 || find "$prefix" -name '*.gba' | grep -q .; then
  fail "an emulator shell or data folder was installed"
fi

listing() {
  find "$prefix" -exec stat -c '%n %s %Y %a' {} + | sort
}
listing >"$tmp/before"

# An installed program's user: a home folder, the XDG folders beside it, the
# demo folder's romweld.cfg, shells and ROMs in the XDG data folder.
home=$tmp/home
data=$tmp/data/romweld
mkdir -p "$home" "$data" "$tmp/work"
cp "$prefix/share/doc/romweld/romweld.cfg" "$data/"
"$demo_folder" "$data" >/dev/null
run() {
  (cd "$tmp/work" && env -i HOME="$home" PATH="$prefix/bin:/usr/bin:/bin" XDG_CONFIG_HOME="$tmp/config" \
    XDG_DATA_HOME="$tmp/data" XDG_DATA_DIRS="$tmp/system" XDG_CACHE_HOME="$tmp/cache" \
    XDG_RUNTIME_DIR="$tmp/runtime" ASAN_OPTIONS="${ASAN_OPTIONS:-}" "$@")
}

run romweld-cli variants >"$tmp/variants" 2>"$tmp/variants.err" || fail "romweld-cli variants"
printf 'kvl-v02\tKorvalinde\t132120\npocketnes\tPocketNES\t65536\n' | cmp -s - "$tmp/variants" ||
  { cat "$tmp/variants" "$tmp/variants.err" >&2; fail "romweld-cli variants listed something else"; }
grep -q "using $data/romweld.cfg and the settings file $tmp/config/romweld/romweld.ini" "$tmp/variants.err" ||
  fail "romweld-cli variants does not name the folders it used: $(cat "$tmp/variants.err")"
run romweld-cli --help | grep -q "^Folder in use: $data/ (found in the XDG data folders)$" ||
  fail "romweld-cli --help does not name the folder in use"

run romweld-cli build -o "$tmp/work/demo.gba" "$data"/roms/*.nes >"$tmp/build.log" 2>&1 ||
  { cat "$tmp/build.log" >&2; fail "romweld-cli build"; }
# The same job on the same folder given with --dir, the way a portable folder works.
"$prefix/bin/romweld-cli" --dir "$data" build -o "$tmp/portable.gba" "$data"/roms/*.nes >/dev/null 2>&1 ||
  fail "romweld-cli --dir build"
cmp -s "$tmp/work/demo.gba" "$tmp/portable.gba" || fail "the installed and the --dir image differ"
[ "$(wc -c <"$tmp/work/demo.gba")" -eq 345456 ] || fail "demo image of $(wc -c <"$tmp/work/demo.gba") bytes"

# The user's settings choose the variant.
mkdir -p "$tmp/config/romweld"
printf '[CONFIG]\nKVLVersion=pocket\n' >"$tmp/config/romweld/romweld.ini"
run romweld-cli build -o "$tmp/work/pocket.gba" "$data/roms/"*.nes 2>&1 | grep -q "variant pocketnes (PocketNES)" ||
  fail "the settings in XDG_CONFIG_HOME did not choose the variant"

# sramedit-cli on a save of its own.
save=$tmp/work/cart.sav
printf 'game save' >"$tmp/work/game.sav"
run sramedit-cli new "$save" --packed >/dev/null || fail "sramedit-cli new"
run sramedit-cli append "$save" "$tmp/work/game.sav" --rom "$(ls "$data"/roms/*.nes | head -n 1)" >/dev/null ||
  fail "sramedit-cli append"
run sramedit-cli list "$save" | grep -q . || fail "sramedit-cli list"
[ "$(wc -c <"$save")" -eq 65536 ] || fail "save of $(wc -c <"$save") bytes"
run sramedit-cli --help >/dev/null || fail "sramedit-cli --help"

listing >"$tmp/after"
cmp -s "$tmp/before" "$tmp/after" || { diff "$tmp/before" "$tmp/after" >&2 || true; fail "something was written into the prefix"; }

if [ "$failures" -ne 0 ]; then
  echo "$failures install checks failed"
  exit 1
fi
echo "installed into $prefix and used it: every check passed"
