#!/usr/bin/env bash
# Installs what is missing, builds quillon-cli and runs the main job on the bundled samples:
# the full report of the passing lpDDR2 set (arguments are passed on to it, e.g. --json),
# then the one-line summary of every other Quillon sample set and the verdicts of the Sondex
# and QuillonOrlo samples. Exits with the first run's status.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/bootstrap.sh
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target quillon-cli sondex-cli quillon-orlo-cli
cli="$build/out/Quillon/quillon-cli"
status=0
"$cli" analyse samples/quillon/lpddr2_pass "$@" || status=$?
echo
for set in lpddr2_fail:lpddr2 lpddr:lpddr ddr3:ddr3 hynix:hynix emmc_sdr50:emmc-sdr50 \
    emmc_ddr50:emmc-ddr50; do
    dir=${set%%:*}
    type=${set##*:}
    printf '%-12s ' "$dir"
    "$cli" analyse "samples/quillon/$dir" --type "$type" 2>/dev/null | tail -n 1 || true
done
printf '%-12s ' "sondex"
"$build/out/Sondex/sondex-cli" analyse samples/sondex/logs 2>/dev/null | tail -n 1 || true
printf '%-12s ' "orlo"
"$build/out/QuillonOrlo/quillon-orlo-cli" scan --normal samples/quillon_orlo/normal \
    --low samples/quillon_orlo/low --high samples/quillon_orlo/high 2>/dev/null |
    grep -E '^verdict' || true
exit "$status"
