#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test; then builds the engines,
# the batch programs and their tests once more with AddressSanitizer and
# UndefinedBehaviorSanitizer (any report fails the run) and runs those tests again.
# The normal build treats compiler warnings as errors (WERROR=0 turns that off for a local
# try); the sanitizer build shows its warnings without failing on them.
# BUILD_DIR / SANITIZE_BUILD_DIR choose the build folders; SKIP_SANITIZE=1 skips the second run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/bootstrap.sh
build=${BUILD_DIR:-build}
werror=-DSUITE_WERROR=$([ "${WERROR:-1}" = 0 ] && echo OFF || echo ON)
cmake -S . -B "$build" -G Ninja "$werror" ${CMAKE_ARGS:-} >/dev/null
cmake --build "$build"
ctest --test-dir "$build" --output-on-failure -j2

if [ "${SKIP_SANITIZE:-0}" = 1 ]; then
    exit 0
fi
# -O1 keeps the sanitized build and its run short; the GUI and the benchmarks stay out.
asan=${SANITIZE_BUILD_DIR:-build-asan}
cmake -S . -B "$asan" -G Ninja "$werror" -DSUITE_SANITIZE=ON -DSUITE_BUILD_GUI=OFF -DSUITE_BUILD_BENCH=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1" >/dev/null
cmake --build "$asan"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
ctest --test-dir "$asan" --output-on-failure -j2
