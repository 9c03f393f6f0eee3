#!/usr/bin/env bash
# Builds the fuzz targets with clang 14 and runs every target for a fixed time.
#   fuzz/run.sh [seconds per target, default 60] [target ...]
# FUZZ_BUILD_DIR (default build-fuzz) holds the programs, the growing corpus of each target
# (corpus/<target>), its log (logs/<target>.log) and any finding (findings/<target>/).
# FUZZ_JOBS (default 1) targets run side by side. Exits 1 when a target found something.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
secs=${1:-60}
shift || true
build=${FUZZ_BUILD_DIR:-$root/build-fuzz}
jobs=${FUZZ_JOBS:-1}

CC=clang-14 CXX=clang++-14 cmake -S "$root/fuzz" -B "$build" -G Ninja >/dev/null
cmake --build "$build"

s=$root/samples
f=$root/fuzz/seeds
ini_fixtures=$root/common/core/tests/fixtures # GBK and UTF-16 settings as Windows saves them
# target | longest input | seed folders (samples first)
table=(
    "ddr_log|40000|$s/quillon/lpddr $s/quillon/lpddr2_pass $s/quillon/lpddr2_fail $s/quillon/ddr3 $s/bad"
    "hynix_log|40000|$f/hynix_log $s/bad"
    "emmc_log|20000|$f/emmc_log $s/bad"
    "image_writers|4096|$f/image_writers"
    "orlo_log|160000|$s/quillon_orlo/normal $s/quillon_orlo/low $s/quillon_orlo/high $s/bad"
    "kestinx_log|40000|$s/sondex/logs $s/bad"
    "sondex_ini|16384|$s/sondex $s/quillon $s/quillon_orlo $s/bad $ini_fixtures"
    "sondex_dat|16384|$f/sondex_dat $s/bad"
    "ini_read|8192|$s/quillon $s/quillon_orlo $s/sondex $s/bad $ini_fixtures"
    "ini_write|8192|$s/quillon $s/quillon_orlo $s/sondex $s/bad $ini_fixtures"
)

run_one() {
    local name=$1 maxlen=$2 seeds=$3
    local corpus=$build/corpus/$name findings=$build/findings/$name log=$build/logs/$name.log
    mkdir -p "$corpus" "$findings" "$build/logs"
    local dirs=()
    for d in $seeds; do
        [ -d "$d" ] && dirs+=("$d")
    done
    local rc=0
    "$build/fuzz_$name" -max_total_time="$secs" -max_len="$maxlen" -timeout=30 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$findings/" "$corpus" "${dirs[@]}" >"$log" 2>&1 ||
        rc=$?
    local execs
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    if [ $rc -eq 0 ]; then
        echo "fuzz_$name: ${execs:-?} executions in ${secs} s, no finding"
    else
        echo "fuzz_$name: FINDING after ${execs:-?} executions (see $log and $findings/)"
    fi
    return $rc
}

selected=("$@")
failed=0
running=0
for row in "${table[@]}"; do
    IFS='|' read -r name maxlen seeds <<<"$row"
    if [ ${#selected[@]} -gt 0 ] && [[ ! " ${selected[*]} " == *" $name "* ]]; then
        continue
    fi
    run_one "$name" "$maxlen" "$seeds" &
    running=$((running + 1))
    if [ "$running" -ge "$jobs" ]; then
        wait -n || failed=1
        running=$((running - 1))
    fi
done
while [ "$running" -gt 0 ]; do
    wait -n || failed=1
    running=$((running - 1))
done
exit $failed
