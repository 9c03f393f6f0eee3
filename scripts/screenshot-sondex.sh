#!/usr/bin/env bash
# Builds Sondex and saves a picture of its window after a folder analysis of the bundled
# samples, taken on a virtual X display: scripts/screenshot-sondex.sh [OUT.png] [FOLDER]
# (default docs/sondex-folder-analysis.png and samples/sondex/logs). Messages the analysis
# shows go to stderr instead of waiting in a dialog.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/sondex-folder-analysis.png}
folder=${2:-samples/sondex/logs}
build=${BUILD_DIR:-build}
size=${SCREEN_SIZE:-1600x900}
if [ ! -f "$build/build.ninja" ]; then
    cmake -S . -B "$build" -G Ninja >/dev/null
fi
cmake --build "$build" --target Sondex >/dev/null
mkdir -p "$(dirname "$out")"
# A scratch profile, so the picture does not depend on (or change) the user's settings.
profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT
XDG_CONFIG_HOME="$profile" xvfb-run -a -s "-screen 0 ${size}x24" \
    "$build/out/Sondex/Sondex" "$folder" --screenshot "$out"
echo "saved $out"
