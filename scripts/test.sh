#!/usr/bin/env bash
# Installs what is needed, builds every preset and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh all

for preset in linux linux-release windows-x86 windows-x64; do
  cmake --preset "$preset"
  cmake --build --preset "$preset"
done

ctest --preset linux
ctest --preset windows-x86
ctest --preset windows-x64 -j2
