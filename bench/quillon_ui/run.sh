#!/usr/bin/env bash
# The Quillon window benchmark: 100 generated lpDDR2 logs of 1568 data lines, then
#  1. in one process, quillon-cli's analysis next to the Analyse click until the statistics
#     chart is painted, and every tab switch with its paint (quillon_ui_bench);
#  2. whole processes with hyperfine: quillon-cli analyse against the window started on the
#     folder that grabs itself once the chart is painted (offscreen).
# Usage: bench/quillon_ui/run.sh [BUILD_DIR] (a Release build, default build-release).
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build-release}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target quillon_ui_bench quillon-cli Quillon quillon-ddr-loggen
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/generators/quillon-ddr-loggen" bench "$work/logs" 100
export QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$work/config"
"$build/bench/quillon_ui/quillon_ui_bench" "$work/logs" 5
cp "$build/out/Quillon/Quillon" "$build/out/Quillon/quillon-cli" "$work/"
cp samples/quillon/Quillon.ini "$work/"
if command -v hyperfine >/dev/null 2>&1; then
    hyperfine --warmup 1 --runs 5 \
        "$work/quillon-cli analyse $work/logs --type lpddr2 --json" \
        "$work/Quillon --type lpddr2 $work/logs --screenshot $work/shot.png"
fi
