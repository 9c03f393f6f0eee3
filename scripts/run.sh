#!/usr/bin/env bash
# Installs what is missing, builds quillon-cli and runs the main job on the bundled samples:
# the full report of the passing lpDDR2 set (arguments are passed on to it, e.g. --json),
# then the one-line summary of every other Quillon sample set and the verdicts of the Sondex
# and QuillonOrlo samples. Exits with the first run's status; when a summary run crashes or
# exits with a status other than PASS (0) or FAIL (1), its standard error is shown and the
# script exits with 3 (or with the first run's status when that is worse).
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

summary_failed=0
errors=$(mktemp)
trap 'rm -f "$errors"' EXIT
# summary <name> <last|verdict> <command...>: the run's last line, or its "verdict" lines.
summary() {
    local name=$1 pick=$2
    shift 2
    local out code=0
    out=$("$@" 2>"$errors") || code=$?
    printf '%-12s ' "$name"
    if [ "$pick" = last ]; then
        printf '%s\n' "$out" | tail -n 1
    else
        printf '%s\n' "$out" | grep -E '^verdict' || echo
    fi
    if [ "$code" -ne 0 ] && [ "$code" -ne 1 ]; then
        echo "run.sh: $name: exit status $code (a verdict is 0 or 1): $*" >&2
        cat "$errors" >&2
        summary_failed=1
    fi
}

for set in lpddr2_fail:lpddr2 lpddr:lpddr ddr3:ddr3 hynix:hynix emmc_sdr50:emmc-sdr50 \
    emmc_ddr50:emmc-ddr50; do
    dir=${set%%:*}
    type=${set##*:}
    summary "$dir" last "$cli" analyse "samples/quillon/$dir" --type "$type"
done
summary sondex last "$build/out/Sondex/sondex-cli" analyse samples/sondex/logs
summary orlo verdict "$build/out/QuillonOrlo/quillon-orlo-cli" scan \
    --normal samples/quillon_orlo/normal --low samples/quillon_orlo/low \
    --high samples/quillon_orlo/high
if [ "$summary_failed" = 1 ] && [ "$status" -le 1 ]; then
    exit 3
fi
exit "$status"
