#!/usr/bin/env bash
# Installs what is missing, builds Navora and starts it; arguments go to navora.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release -j "$(nproc)" --target navora
exec build/release/src/app/navora "$@"
