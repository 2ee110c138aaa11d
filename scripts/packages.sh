#!/usr/bin/env bash
# Installs the Debian packages Tabel needs to build, run and test (only the
# missing ones). Needs root for the install step.
set -euo pipefail
PKGS=(build-essential cmake pkg-config qt6-base-dev libqt6sql6-odbc qt6-translations-l10n
      unixodbc-dev odbc-postgresql postgresql-15 postgresql-client-15 libxlsxwriter-dev
      fonts-dejavu-core fonts-dejavu-extra xvfb xauth xdotool x11-utils poppler-utils python3 python3-openpyxl
      lintian)
missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  if [ "$(id -u)" != 0 ]; then
    echo "Missing packages need root: run this command as root (or with sudo)." >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
