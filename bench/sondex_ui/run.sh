#!/usr/bin/env bash
# Release build of the window benchmark and sondex-cli, 50 generated KestinX logs of 3
# tables each, then sondex_ui_bench over them: bench/sondex_ui/run.sh [rounds]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${BUILD_DIR:-build-release}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target sondex_ui_bench sondex-cli -j2
data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT
python3 bench/generators/sondex_gen.py --out "$data" --logs 50 --rows 64 --vref 4 >/dev/null
"$build/bench/sondex_ui/sondex_ui_bench" "$data" "$build/out/Sondex/sondex-cli" "${1:-15}"
