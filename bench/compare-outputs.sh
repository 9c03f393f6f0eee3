#!/usr/bin/env bash
# Runs the batch programs of a base commit and of the working tree on every bundled sample
# folder and on the generated data sets, and compares their --json documents, text reports
# and exit statuses byte for byte.
#   bench/compare-outputs.sh [BASE_COMMIT]      (default: the commit before HEAD)
# Builds: build-base/ (a detached worktree of BASE_COMMIT and its Release build) and
# build-release/. Data sets: ${E2E_DATA:-build-e2e-data}/. Exit 0 when everything matches.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
. bench/e2e/common.sh

base_commit=$(git rev-parse "${1:-HEAD~1}")
base_src=$root/build-base/src
base_build=$root/build-base/build
head_build=$root/${BUILD_DIR:-build-release}
data=$root/${E2E_DATA:-build-e2e-data}

if [ ! -d "$base_src" ]; then
    git worktree add --detach "$base_src" "$base_commit" >/dev/null
elif [ "$(git -C "$base_src" rev-parse HEAD)" != "$base_commit" ]; then
    git -C "$base_src" checkout --detach -q "$base_commit"
fi
echo "base $base_commit, building ..."
e2e_build "$base_src" "$base_build"
echo "working tree, building ..."
e2e_build "$root" "$head_build"
e2e_generate "$head_build" "$data"

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
failures=0
cases=0

# One case: the same arguments to both builds of PROGRAM (Product/program), text and --json.
compare() { # NAME PRODUCT/PROGRAM ARGS...
    local name=$1 program=$2
    shift 2
    local mode side status
    for mode in text json; do
        local extra=()
        [ "$mode" = json ] && extra=(--json)
        for side in base head; do
            local build=$base_build
            [ "$side" = head ] && build=$head_build
            set +e
            "$build/out/$program" "$@" "${extra[@]}" >"$out/$side.out" 2>"$out/$side.err" \
                </dev/null
            status=$?
            set -e
            echo "$status" >"$out/$side.status"
        done
        cases=$((cases + 1))
        local what
        for what in out err status; do
            if ! cmp -s "$out/base.$what" "$out/head.$what"; then
                echo "DIFFERENT ($what, $mode): $name"
                failures=$((failures + 1))
                break
            fi
        done
    done
}

quillon_ini=$root/samples/quillon/Quillon.ini
orlo_ini=$root/samples/quillon_orlo/QuillonOrlo.ini
types=(lpddr lpddr2 ddr3 hynix emmc-sdr50 emmc-ddr50)
for dir in "$root"/samples/quillon/*/ "$root/samples/bad/"; do
    for type in "${types[@]}"; do
        compare "quillon $dir $type" Quillon/quillon-cli analyse "$dir" --type "$type" \
            --settings "$quillon_ini"
    done
done
for sort in asc desc; do
    compare "quillon lpddr2_fail --sort $sort" Quillon/quillon-cli analyse \
        "$root/samples/quillon/lpddr2_fail" --type lpddr2 --sort "$sort" --settings "$quillon_ini"
done
compare "quillon emmc --emmc" Quillon/quillon-cli analyse "$root/samples/quillon/emmc_sdr50" \
    --type emmc-sdr50 --emmc rowMax=2 --emmc inColMax=40 --settings "$quillon_ini"
compare "quillon emmc --answer yes" Quillon/quillon-cli analyse \
    "$root/samples/quillon/emmc_ddr50" --type emmc-ddr50 --answer yes --settings "$quillon_ini"
compare "quillon generated lpddr2" Quillon/quillon-cli analyse "$data/lpddr2" --type lpddr2 \
    --settings "$quillon_ini"
compare "quillon generated emmc-ddr50" Quillon/quillon-cli analyse "$data/emmc_ddr50" \
    --type emmc-ddr50 --settings "$quillon_ini"

for sr in 0 0,1,2,3 2; do
    compare "sondex samples --sr $sr" Sondex/sondex-cli analyse "$root/samples/sondex/logs" \
        --sr "$sr" --config "$root/samples/sondex/Sondex.ini"
done
compare "sondex bad" Sondex/sondex-cli analyse "$root/samples/bad" \
    --config "$root/samples/sondex/Sondex.ini"
compare "sondex generated" Sondex/sondex-cli analyse "$data/sondex/logs" --sr 0,1,2,3 \
    --config "$data/sondex/Sondex.ini"

orlo=$root/samples/quillon_orlo
compare "orlo samples" QuillonOrlo/quillon-orlo-cli scan --normal "$orlo/normal" \
    --low "$orlo/low" --high "$orlo/high" --settings "$orlo_ini"
compare "orlo samples normal" QuillonOrlo/quillon-orlo-cli scan --normal "$orlo/normal" \
    --settings "$orlo_ini"
compare "orlo samples --answer yes" QuillonOrlo/quillon-orlo-cli scan --normal "$orlo/normal" \
    --high "$orlo/high" --answer yes --settings "$orlo_ini"
compare "orlo bad" QuillonOrlo/quillon-orlo-cli scan --normal "$root/samples/bad" \
    --settings "$orlo_ini"
compare "orlo generated" QuillonOrlo/quillon-orlo-cli scan --normal "$data/orlo/normal" \
    --low "$data/orlo/low" --high "$data/orlo/high" --settings "$data/orlo/QuillonOrlo.ini"

echo "$cases comparisons, $failures different"
[ "$failures" -eq 0 ]
