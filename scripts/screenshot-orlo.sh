#!/usr/bin/env bash
# Builds QuillonOrlo, scans the bundled samples (normal, low and high temperature) in a real
# window under Xvfb and saves the window as a PNG (default docs/quillon-orlo.png).
# The per-user profile goes to a scratch folder, so the caller's own one is left alone.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/quillon-orlo.png}
bash scripts/bootstrap.sh
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target QuillonOrlo
mkdir -p "$(dirname "$out")"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
samples=samples/quillon_orlo
XDG_CONFIG_HOME="$scratch" XDG_RUNTIME_DIR="$scratch" \
    xvfb-run -a -s "-screen 0 1920x1080x24" "$build/out/QuillonOrlo/QuillonOrlo" \
    --normal "$samples/normal" --low "$samples/low" --high "$samples/high" --screenshot "$out"
echo "screenshot: $out"
