#!/usr/bin/env bash
# Installs the Debian packages Evlora needs to build, run and test.
# Idempotent: only missing packages are installed.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libgl-dev
  libsqlite3-dev sqlite3
  libjpeg-dev
  fonts-liberation2 fonts-dejavu-core
  qt6-translations-l10n
  xvfb xauth
  # the tests read the saved comparison list (RTF) and the printed one (PDF) with these
  unrtf poppler-utils
  # the import's tests write their Paradox tables with pxlib (never used by the program itself)
  pxlib-dev
  # bench_engine watches the X server for the program's main window (libxcb)
  libxcb1-dev
  # the server store: the tests start a PostgreSQL server of their own
  postgresql postgresql-client libpq-dev
  # lists leave as spreadsheets (.xlsx); the tests unpack the workbook to read it back
  libxlsxwriter-dev zlib1g-dev unzip
  # the Debian package (scripts/package.sh) and the tests' check of what it holds
  dpkg-dev lintian desktop-file-utils appstream man-db
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all packages present"
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
