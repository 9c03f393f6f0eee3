#!/usr/bin/env bash
# Installs what is missing, builds quillon-cli and runs the main job on the bundled samples:
# the full report of the passing lpDDR2 set (arguments are passed on to it, e.g. --json),
# then the one-line summary of every other DDR sample set. Exits with the first run's status.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/bootstrap.sh
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target quillon-cli
cli="$build/out/Quillon/quillon-cli"
status=0
"$cli" analyse samples/quillon/lpddr2_pass "$@" || status=$?
echo
for set in lpddr2_fail:lpddr2 lpddr:lpddr ddr3:ddr3; do
    dir=${set%%:*}
    type=${set##*:}
    printf '%-12s ' "$dir"
    "$cli" analyse "samples/quillon/$dir" --type "$type" 2>/dev/null | tail -n 1 || true
done
exit "$status"
