#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (a private PostgreSQL
# cluster is started and stopped by the test run itself).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/packages.sh
bash scripts/build.sh
cd build
ctest --output-on-failure -j2 --timeout 900
