#!/usr/bin/env bash
# Builds the Debian package: installs what is missing, builds the two
# programs and packs them with everything they install into
# build/evlora_VERSION_ARCH.deb (CPack's DEB generator). Prints the file's path.
#
#   bash scripts/package.sh            then   sudo apt-get install ./build/evlora_*.deb
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/setup.sh"
build="${EVLORA_BUILD:-$root/build}"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target evlora evlora-import evlora_package_files
rm -f "$build"/evlora_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
ls "$build"/evlora_*.deb
