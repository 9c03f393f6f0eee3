#!/usr/bin/env bash
# Makes pictures of the HTML reports: runs the three batch programs with --report on the
# bundled samples and renders each report.html with headless Chromium (installed when
# missing). Not part of the test command.
# Usage: scripts/report-screenshots.sh [OUTDIR] (default build/report-screenshots); the
# reports themselves are kept in OUTDIR/<program>/.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
out=${1:-$build/report-screenshots}
bash scripts/bootstrap.sh
if ! command -v chromium >/dev/null 2>&1; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    echo "report-screenshots: installing chromium"
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q chromium
fi
cmake -S . -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target quillon-cli sondex-cli quillon-orlo-cli
mkdir -p "$out"
out=$(cd "$out" && pwd)

# The batch programs exit 1 for a FAIL verdict: only a missing report is an error here.
run() {
    local name=$1
    shift
    rm -rf "${out:?}/$name"
    "$@" --report "$out/$name" >/dev/null 2>&1 || true
    [ -f "$out/$name/report.html" ] || { echo "report-screenshots: $name wrote no report" >&2; exit 1; }
}
run quillon-lpddr2-fail "$build/out/Quillon/quillon-cli" analyse samples/quillon/lpddr2_fail \
    --type lpddr2 --settings samples/quillon/Quillon.ini
run quillon-emmc-ddr50 "$build/out/Quillon/quillon-cli" analyse samples/quillon/emmc_ddr50 \
    --type emmc-ddr50 --settings samples/quillon/Quillon.ini
# A copy of the configuration: sondex-cli compiles the .dat beside the .ini it is given.
config=$(mktemp -d)
trap 'rm -rf "$config"' EXIT
cp samples/sondex/Sondex.ini "$config/"
run sondex "$build/out/Sondex/sondex-cli" analyse samples/sondex/logs --config "$config/Sondex.ini"
run quillon-orlo "$build/out/QuillonOrlo/quillon-orlo-cli" scan \
    --normal samples/quillon_orlo/normal --low samples/quillon_orlo/low \
    --high samples/quillon_orlo/high --settings samples/quillon_orlo/QuillonOrlo.ini

for report in "$out"/*/report.html; do
    name=$(basename "$(dirname "$report")")
    # A fresh profile per page; no network is needed, the report is one file.
    profile=$(mktemp -d)
    chromium --headless --no-sandbox --disable-gpu --user-data-dir="$profile" \
        --screenshot="$out/$name.png" --window-size=1280,2000 "file://$report" \
        >/dev/null 2>&1
    rm -rf "$profile"
    [ -s "$out/$name.png" ] || { echo "report-screenshots: no picture of $name" >&2; exit 1; }
    echo "wrote $out/$name.png"
done
