#!/usr/bin/env bash
# Installs what the project needs, builds everything and runs every test.
# Usage: scripts/test.sh            (build folder: build/)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${KR7M_CMAKE_FLAGS:-}
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure -j"$(nproc)"
