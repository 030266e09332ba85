#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it in its data
# folder (default ~/Evlora; another folder: EVLORA_DATA=/path scripts/run.sh).
# Without a display the program runs under a virtual one (xvfb-run).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/setup.sh"
build="$root/build"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j"$(nproc)" --target evlora

data="${EVLORA_DATA:-$HOME/Evlora}"
mkdir -p "$data"
# The splash clip lives beside the data; never overwrite one placed there.
if [ -f "$root/assets/ani34.avi" ] && [ ! -f "$data/ani34.avi" ]; then
  cp "$root/assets/ani34.avi" "$data/"
fi
cd "$data"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  # Nobody sits at a virtual display: the timed shut-down only says what it would do.
  EVLORA_SHUTDOWN="${EVLORA_SHUTDOWN:-print}" exec xvfb-run -a -s "-screen 0 1280x800x24" "$build/src/evlora"
fi
exec "$build/src/evlora"
