#!/bin/sh
# The UART capture under load: a million 80-byte lines through a pseudo-terminal.
# Usage: bench/quillon_uart/run.sh [BUILD_DIR] [LINES]
set -e
build=${1:-build}
lines=${2:-1000000}
data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT
XDG_DATA_HOME="$data" /usr/bin/time -v "$build/bench/quillon_uart/quillon_uart_bench" "$lines" 2>&1 |
    grep -E '^(lines|elapsed|capture|GUI gaps|  in the longest|  machine|slowest|one more|line store|process)|Maximum resident|Elapsed'
