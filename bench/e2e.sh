#!/usr/bin/env bash
# End-to-end figures of the batch programs: each program on each generated data set, text
# report and --json, against `cat FILES | wc -l` on the same files in the same hyperfine run,
# and the peak memory of each (/usr/bin/time -v).
#   bench/e2e.sh [RUNS]          (default 5 runs per command, median reported)
# Environment: BUILD_DIR (default build-release; made by this script unless SKIP_BUILD=1),
# E2E_DATA (data sets, default build-e2e-data, generated once), E2E_ONLY (a data-set name).
# Needs hyperfine (Debian package hyperfine) and GNU time (/usr/bin/time).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
. bench/e2e/common.sh

runs=${1:-5}
build=$root/${BUILD_DIR:-build-release}
data=$root/${E2E_DATA:-build-e2e-data}
for tool in hyperfine /usr/bin/time python3; do
    command -v "$tool" >/dev/null || { echo "bench/e2e.sh: $tool is needed" >&2; exit 2; }
done
if [ "${SKIP_BUILD:-0}" != 1 ]; then
    e2e_build "$root" "$build"
fi
# The generators may come from another build than the programs measured.
e2e_generate "${GEN_BUILD_DIR:-$build}" "$data"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
quillon=$build/out/Quillon/quillon-cli
sondex=$build/out/Sondex/sondex-cli
orlo=$build/out/QuillonOrlo/quillon-orlo-cli
quillon_ini=$root/samples/quillon/Quillon.ini

# NAME, the folders whose files are read, and the command (without --json).
declare -a names folders commands
add() { names+=("$1"); folders+=("$2"); commands+=("$3"); }
add lpddr2-100 "$data/lpddr2" \
    "$quillon analyse $data/lpddr2 --type lpddr2 --settings $quillon_ini"
add emmc-ddr50-1M "$data/emmc_ddr50" \
    "$quillon analyse $data/emmc_ddr50 --type emmc-ddr50 --settings $quillon_ini"
add orlo-3x34 "$data/orlo/normal $data/orlo/low $data/orlo/high" \
    "$orlo scan --normal $data/orlo/normal --low $data/orlo/low --high $data/orlo/high --settings $data/orlo/QuillonOrlo.ini"
add sondex-50x3 "$data/sondex/logs" \
    "$sondex analyse $data/sondex/logs --sr 0,1,2,3 --config $data/sondex/Sondex.ini"

# Peak resident size in MB of one run of a command.
peak_mb() {
    /usr/bin/time -v -o "$work/time.txt" sh -c "$1 >/dev/null 2>&1" || true
    awk -F: '/Maximum resident set size/ { printf "%.0f", $2 / 1024 }' "$work/time.txt"
}

printf '%s\n' "uptime: $(uptime)"
printf '%-15s %-6s %10s %10s %9s %9s\n' "data set" "output" "median s" "wc -l s" "ratio" "peak MB"
for i in "${!names[@]}"; do
    name=${names[$i]}
    if [ -n "${E2E_ONLY:-}" ] && [ "$E2E_ONLY" != "$name" ]; then
        continue
    fi
    files=$(find ${folders[$i]} -maxdepth 1 -type f -name '*.*' ! -name '*.ini' ! -name '*.dat' \
        | sort | tr '\n' ' ')
    wc_cmd="cat $files | wc -l"
    text_cmd=${commands[$i]}
    json_cmd="${commands[$i]} --json"
    # The three commands alternate round by round, each round one run of each.
    for round in $(seq "$runs"); do
        hyperfine --runs 1 --style none -i --shell=bash --export-json "$work/r$round.json" \
            "$wc_cmd" "$text_cmd" "$json_cmd" >/dev/null 2>&1
    done
    text_mb=$(peak_mb "$text_cmd")
    json_mb=$(peak_mb "$json_cmd")
    python3 - "$work" "$runs" "$name" "$text_mb" "$json_mb" <<'PY'
import json, statistics, sys
work, runs, name, text_mb, json_mb = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4], sys.argv[5]
times = [[], [], []]
for r in range(1, runs + 1):
    for k, result in enumerate(json.load(open(f"{work}/r{r}.json"))["results"]):
        times[k].append(result["mean"])
wc = statistics.median(times[0])
for k, (label, mb) in enumerate((("text", text_mb), ("json", json_mb)), start=1):
    t = statistics.median(times[k])
    ratios = sorted(x / w for x, w in zip(times[k], times[0]))
    print(f"{name:<15} {label:<6} {t:10.3f} {wc:10.3f} {t / wc:8.1f}x {mb:>9}"
          f"   (ratios {ratios[0]:.1f}..{ratios[-1]:.1f})")
PY
done
