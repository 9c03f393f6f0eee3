#!/usr/bin/env bash
# Makes the README's picture of the Quillon window: builds Quillon, starts it under a virtual
# X server on the bundled passing lpDDR2 logs (or TYPE and DIR), lets it analyse them and saves
# a grab of the window.
# Usage: scripts/screenshot-quillon.sh [OUT.png [TYPE DIR]] (default docs/quillon.png, lpddr2,
# samples/quillon/lpddr2_pass).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/bootstrap.sh
build=${BUILD_DIR:-build}
out=${1:-docs/quillon.png}
type=${2:-lpddr2}
dir=${3:-samples/quillon/lpddr2_pass}
mkdir -p "$(dirname "$out")"
cmake -S . -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target Quillon
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# A fresh profile, so the picture does not depend on who runs the script.
XDG_CONFIG_HOME="$tmp" xvfb-run -a -s "-screen 0 1600x900x24" \
    "$build/out/Quillon/Quillon" --type "$type" "$dir" \
    --screenshot "$tmp/full.png"
# Keep the file small: a palette PNG when the tools are there, the grab as it is otherwise.
if command -v pngquant >/dev/null 2>&1; then
    pngquant --force --output "$out" 64 "$tmp/full.png"
else
    cp "$tmp/full.png" "$out"
fi
echo "wrote $out"
