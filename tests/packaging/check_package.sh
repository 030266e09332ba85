#!/usr/bin/env bash
# Builds the Debian package from the build folder given (what is built there
# already) into a scratch folder and checks what it holds, without
# installing it: the file list, the desktop entry (desktop-file-validate), the
# metainfo (appstreamcli validate), the manual pages, the icons' sizes, the
# dependencies, lintian's verdict, and the start script run from the
# unpacked tree.
#
#   check_package.sh BUILD_DIR
set -u
build="${1:?usage: check_package.sh BUILD_DIR}"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }

for tool in cpack dpkg-deb desktop-file-validate appstreamcli lintian man; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (bash scripts/setup.sh installs it)"; exit 1; }
done

(cd "$build" && cpack -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1) ||
  { cat "$scratch/cpack.log"; echo "FAIL: cpack could not build the package"; exit 1; }
deb=$(ls "$scratch"/out/evlora_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || { echo "FAIL: no evlora_*.deb was made"; exit 1; }
echo "package: $(basename "$deb"), $(du -k "$deb" | cut -f1) KB"

# --- the file list ------------------------------------------------------------------
app=example.talvoren.Evlora
expected="$scratch/expected"
{
  echo ./usr/bin/evlora
  echo ./usr/bin/evlora-import
  echo ./usr/bin/evlora-server
  echo ./usr/lib/evlora/evlora-start
  echo ./usr/share/applications/$app.desktop
  echo ./usr/share/metainfo/$app.metainfo.xml
  echo ./usr/share/man/man1/evlora.1.gz
  echo ./usr/share/man/man1/evlora-import.1.gz
  echo ./usr/share/man/man1/evlora-server.1.gz
  echo ./usr/share/doc/evlora/copyright
  echo ./usr/share/doc/evlora/changelog.gz
  echo ./usr/share/evlora/ani34.avi
  for size in 16 22 24 32 48 64 128 256; do
    echo ./usr/share/icons/hicolor/${size}x${size}/apps/evlora.png
  done
  for picture in "$root"/assets/art/*.jpg; do
    echo ./usr/share/evlora/art/$(basename "$picture")
  done
} | sort > "$expected"
dpkg-deb -c "$deb" > "$scratch/listing"
awk '$1 !~ /^d/ { print $6 }' "$scratch/listing" | sort > "$scratch/files"
if ! diff -u "$expected" "$scratch/files" > "$scratch/files.diff"; then
  cat "$scratch/files.diff"; fail "the package's files are not the expected ones (- missing, + unexpected)"
fi
awk '$2 != "root/root"' "$scratch/listing" | grep -q . && fail "files not owned by root"
for program in usr/bin/evlora usr/bin/evlora-import usr/bin/evlora-server usr/lib/evlora/evlora-start; do
  grep -q "^-rwxr-xr-x .* ./$program\$" "$scratch/listing" || fail "$program is not executable"
done

# --- dependencies -------------------------------------------------------------------
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6widgets6 libqt6sql6-sqlite qt6-translations-l10n libjpeg62-turbo fonts-liberation2 \
              fonts-dejavu-core libsqlite3-0 libxlsxwriter4 libpq5; do
  grep -q "\b$needed\b" <<< "$depends" || fail "Depends lacks $needed: $depends"
done

# --- what the files say ---------------------------------------------------------------
tree="$scratch/tree"
dpkg-deb -x "$deb" "$tree"
desktop="$tree/usr/share/applications/$app.desktop"
desktop-file-validate "$desktop" || fail "desktop-file-validate refuses the desktop entry"
grep -qx 'Exec=/usr/lib/evlora/evlora-start' "$desktop" || fail "the desktop entry does not start evlora-start"
grep -qx 'Icon=evlora' "$desktop" || fail "the desktop entry's icon is not evlora"
appstreamcli validate --no-net "$tree/usr/share/metainfo/$app.metainfo.xml" > "$scratch/appstream.log" 2>&1 ||
  { cat "$scratch/appstream.log"; fail "appstreamcli refuses the metainfo"; }
version=$(dpkg-deb -f "$deb" Version)
grep -q "<release version=\"$version\"" "$tree/usr/share/metainfo/$app.metainfo.xml" ||
  fail "the metainfo names no release $version"
for page in evlora evlora-import evlora-server; do
  text=$(MANWIDTH=80 LC_ALL=C.UTF-8 man --warnings -l "$tree/usr/share/man/man1/$page.1.gz" 2>"$scratch/man.err")
  [ -s "$scratch/man.err" ] && { cat "$scratch/man.err"; fail "man warns about $page.1"; }
  grep -q -- "--version" <<< "$text" || fail "$page.1 does not describe --version"
done
for size in 16 22 24 32 48 64 128 256; do
  png="$tree/usr/share/icons/hicolor/${size}x${size}/apps/evlora.png"
  # A PNG's width and height stand at bytes 16 to 23 of its header.
  read -r width height < <(od -An -tu1 -j16 -N8 "$png" |
    awk '{ print $1*16777216 + $2*65536 + $3*256 + $4, $5*16777216 + $6*65536 + $7*256 + $8 }')
  [ "$width x $height" = "$size x $size" ] || fail "icon ${size}x${size} is $width x $height"
done

# --- lintian --------------------------------------------------------------------------
lintian --allow-root "$deb" > "$scratch/lintian.log" 2>&1
grep '^E:' "$scratch/lintian.log" && fail "lintian reports errors"

# --- the start script, from the unpacked tree --------------------------------------------
# It makes the data folder, places the installed clip there (never over one
# placed already) and runs the command in it.
data="$scratch/home/Evlora"
ran=$(EVLORA_DATA="$data" "$tree/usr/lib/evlora/evlora-start" pwd) || fail "evlora-start failed"
[ "$ran" = "$data" ] || fail "evlora-start ran its command in '$ran', not in $data"
cmp -s "$data/ani34.avi" "$tree/usr/share/evlora/ani34.avi" || fail "evlora-start did not place the clip"
echo "kept" > "$data/ani34.avi"
EVLORA_DATA="$data" "$tree/usr/lib/evlora/evlora-start" true
[ "$(cat "$data/ani34.avi")" = kept ] || fail "evlora-start replaced a clip placed in the data folder"
# Started as the menu does, the installed program would be the one run.
grep -q 'set -- "$prefix/bin/evlora"' "$tree/usr/lib/evlora/evlora-start" || fail "evlora-start does not default to evlora"

[ $failed -eq 0 ] && echo "package check: all passed"
exit $failed
