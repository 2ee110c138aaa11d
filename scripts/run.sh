#!/usr/bin/env bash
# Installs what is missing, builds, prepares the demo database and opens the
# client on it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/packages.sh
bash scripts/build.sh
bash scripts/demo-db.sh
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: the client needs a graphical session (DISPLAY is not set)." >&2
  echo "Run this command from a desktop session, or under a virtual display: xvfb-run -a bash scripts/run.sh" >&2
  exit 1
fi
echo "Starting the client. Login codes: see README.md."
exec ./build/tabel mill_erp 127.0.0.1
