# Shared by bench/e2e.sh and bench/compare-outputs.sh: Release builds of the batch programs
# and the generated data sets. Source it from the repository root.

# The three batch programs, the log generators and nothing else, in a Release build.
e2e_build() { # SOURCE_DIR BUILD_DIR
    cmake -S "$1" -B "$2" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSUITE_BUILD_GUI=OFF \
        -DCMAKE_CXX_COMPILER_LAUNCHER=ccache >/dev/null
    cmake --build "$2" -j"${JOBS:-2}" --target quillon-cli sondex-cli quillon-orlo-cli \
        quillon-ddr-loggen quillon-orlo-loggen generate_emmc_hynix_logs >/dev/null
}

# The data sets of the end-to-end figures under DATA_DIR (kept between runs: a set is made
# only when its folder is missing). Generators come from GEN_BUILD.
e2e_generate() { # GEN_BUILD DATA_DIR
    local build=$1 data=$2
    mkdir -p "$data"
    if [ ! -d "$data/lpddr2" ]; then
        "$build/bench/generators/quillon-ddr-loggen" bench "$data/lpddr2.tmp" 100 >/dev/null
        mv "$data/lpddr2.tmp" "$data/lpddr2"
    fi
    if [ ! -d "$data/emmc_ddr50" ]; then
        "$build/bench/emmc/generate_emmc_hynix_logs" --ddr50 "$data/emmc_ddr50.tmp" 1 >/dev/null
        mv "$data/emmc_ddr50.tmp" "$data/emmc_ddr50"
    fi
    if [ ! -d "$data/orlo" ]; then
        "$build/bench/orlo/quillon-orlo-loggen" "$data/orlo.tmp" 34 full >/dev/null
        mv "$data/orlo.tmp" "$data/orlo"
    fi
    if [ ! -d "$data/sondex" ]; then
        python3 bench/generators/sondex_gen.py --out "$data/sondex.tmp" --logs 50 --rows 64 \
            --vref 4 >/dev/null
        mv "$data/sondex.tmp" "$data/sondex"
    fi
}
