#!/usr/bin/env bash
# Installs what is missing, builds the suite and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
if [ -x build/shell/ledsuite ]; then
  exec build/shell/ledsuite "$@"
fi
echo "ledsuite: the core libraries are built; the application window is not part of this build yet."
