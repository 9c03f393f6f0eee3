#!/usr/bin/env bash
# Installs what is missing, builds, and runs the main job on the bundled samples.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/bootstrap.sh
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja >/dev/null
cmake --build "$build"
out="$build/out"
if [ -x "$out/Quillon/quillon-cli" ]; then
    "$out/Quillon/quillon-cli" analyse samples/quillon/lpddr2_pass "$@" || true
else
    echo "quillon-cli is not built yet"
fi
