#!/usr/bin/env bash
# The Quillon window on three full-size eMMC DDR50 logs:
#  1. in one process, quillon-cli's analysis next to the Analyse click until the statistics
#     chart is painted, one zoom step and one scroll step (quillon_emmc_ui_bench, which writes
#     the logs);
#  2. whole processes: peak memory of quillon-cli and of the window started on the folder that
#     grabs itself once the chart is painted (offscreen), with /usr/bin/time -v, and hyperfine.
# Usage: bench/quillon_emmc_ui/run.sh [BUILD_DIR] (a Release build, default build-release).
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build-release}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target quillon_emmc_ui_bench quillon-cli Quillon -j2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$work/config"
"$build/bench/quillon_emmc_ui/quillon_emmc_ui_bench" "$work/logs" 3
cp "$build/out/Quillon/Quillon" "$build/out/Quillon/quillon-cli" "$work/"
cp samples/quillon/Quillon.ini "$work/"
for cmd in "$work/quillon-cli analyse $work/logs --type emmc-ddr50 --json" \
    "$work/Quillon --type emmc-ddr50 $work/logs --screenshot $work/shot.png"; do
    /usr/bin/time -f "%e s wall, %M KB peak: ${cmd##*/}" $cmd >/dev/null 2>"$work/time.txt" || true
    tail -1 "$work/time.txt"
done
if command -v hyperfine >/dev/null 2>&1; then
    hyperfine --warmup 1 --runs 3 \
        "$work/quillon-cli analyse $work/logs --type emmc-ddr50 --json" \
        "$work/Quillon --type emmc-ddr50 $work/logs --screenshot $work/shot.png"
fi
