#!/usr/bin/env bash
# Installs what is missing, builds Mechanon and starts it.
set -euo pipefail
cd "$(dirname "$0")"
tools/setup.sh install
tools/setup.sh configure-main
cmake --build build -j "$(nproc)"
if [ -x build/app/mechanon ]; then
  exec build/app/mechanon
else
  echo "The libraries are built; the main window is not built yet."
fi
