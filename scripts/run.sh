#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it in its data
# folder (default ~/Evlora; another folder: EVLORA_DATA=/path scripts/run.sh),
# through the same start script as the installed menu entry.
# Without a display the program runs under a virtual one (xvfb-run).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/setup.sh"
build="$root/build"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j"$(nproc)" --target evlora

export EVLORA_CLIP="$root/assets/ani34.avi"
start=("$root/packaging/evlora-start")
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  # Nobody sits at a virtual display: the timed shut-down only says what it would do.
  export EVLORA_SHUTDOWN="${EVLORA_SHUTDOWN:-print}"
  start+=(xvfb-run -a -s "-screen 0 1280x800x24")
fi
exec "${start[@]}" "$build/src/evlora"
