#!/usr/bin/env bash
# Installs the three Debian packages on a fresh, minimal Debian 12 (bookworm) made with
# debootstrap in a scratch folder, with apt so that the computed dependencies resolve from the
# Debian archive, then starts each batch program from PATH inside that root on the bundled
# samples with HOME and the XDG folders in a scratch folder, and checks the exit codes, the
# seeded per-user settings file and the tool log. Everything is removed afterwards.
# Opt-in (needs root and the network, takes minutes); not part of the test command.
# Usage: scripts/package-chroot-test.sh [BUILD_DIR]   (the build must be complete)
set -euo pipefail
cd "$(dirname "$0")/.."
src=$PWD
build=$(cd "${1:-build}" && pwd)

not_tried() {
    echo "not tried: $*"
    exit 0
}

[ "$(id -u)" -eq 0 ] || not_tried "a Debian 12 chroot needs root (run this script as root)"
if ! command -v debootstrap >/dev/null; then
    if command -v apt-get >/dev/null; then
        echo "== installing debootstrap"
        apt-get install -y -q debootstrap >/dev/null 2>&1 ||
            not_tried "debootstrap is missing and 'apt-get install debootstrap' failed"
    fi
    command -v debootstrap >/dev/null || not_tried "debootstrap is missing"
fi
command -v dpkg-shlibdeps >/dev/null ||
    not_tried "dpkg-shlibdeps is missing (Debian package dpkg-dev): the packages cannot be built"

# The Debian mirror apt on this machine uses; deb.debian.org when none is found.
mirror=$(
    {
        grep -hs '^URIs:' /etc/apt/sources.list.d/*.sources | awk '{print $2}'
        grep -hs '^deb ' /etc/apt/sources.list /etc/apt/sources.list.d/*.list |
            sed 's/\[[^]]*\]//' | awk '{print $2}'
    } | grep -v -e security -e '^$' | grep '/debian/\?$' | head -1
) || true
mirror=${mirror:-http://deb.debian.org/debian}

scratch=$(mktemp -d "${TMPDIR:-/var/tmp}/package-chroot-test.XXXXXX")
root=$scratch/root
mounted=()
cleanup() {
    local m
    for m in "${mounted[@]}"; do
        umount "$m" 2>/dev/null || umount -l "$m" 2>/dev/null || true
    done
    # Never remove through a mount that is still there.
    if grep -qF " $root/" /proc/mounts; then
        echo "left $scratch in place: still mounted under it:" >&2
        grep -F " $root/" /proc/mounts >&2
    else
        rm -rf --one-file-system "$scratch"
    fi
}
trap cleanup EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

echo "== Debian packages"
debs=$scratch/debs
mkdir -p "$debs"
(cd "$build" && cpack -G DEB -B "$debs" >"$scratch/cpack.log" 2>&1) ||
    { cat "$scratch/cpack.log" >&2; echo "FAIL: cpack -G DEB" >&2; exit 1; }
components=(quillon sondex quillon-orlo)
for component in "${components[@]}"; do
    deb=$(ls "$debs/${component}_"*.deb 2>/dev/null | head -1)
    [ -n "$deb" ] || { echo "FAIL: no package for $component" >&2; exit 1; }
    echo "built $(basename "$deb")"
done

echo "== debootstrap --variant=minbase bookworm from $mirror"
if ! debootstrap --variant=minbase bookworm "$root" "$mirror" >"$scratch/debootstrap.log" 2>&1; then
    tail -20 "$scratch/debootstrap.log" >&2
    not_tried "debootstrap of Debian 12 from $mirror failed (network or archive unreachable?)"
fi
grep -q '^VERSION_ID="12"' "$root/etc/os-release" || fail "the chroot is not Debian 12"
cp /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true
if mount -t proc proc "$root/proc"; then mounted=("$root/proc" "${mounted[@]}"); else echo "note: /proc not mounted in the chroot"; fi
echo "ok  fresh Debian 12 at $root"

in_root() { # command line run by sh inside the chroot, with a clean environment
    chroot "$root" /usr/bin/env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive /bin/sh -ec "$1"
}

echo "== apt-get install of the three packages"
mkdir -p "$root/debs"
for component in "${components[@]}"; do
    cp "$debs/${component}_"*.deb "$root/debs/"
done
if in_root 'apt-get update -q && cd /debs && apt-get install -y -q ./quillon_*.deb ./sondex_*.deb ./quillon-orlo_*.deb' \
    >"$scratch/apt.log" 2>&1; then
    echo "ok  apt-get install -y ./*.deb in the chroot ($(grep -c '^Setting up' "$scratch/apt.log") packages set up)"
else
    tail -30 "$scratch/apt.log" >&2
    fail "apt-get install of the packages in the chroot"
fi

echo "== batch programs from PATH in the chroot"
cp -r "$src/samples" "$root/samples"
rm -f "$root/samples/sondex/Sondex.dat"
# component Product batch-program highest-accepted-exit-code arguments...
runs=(
    "quillon Quillon quillon-cli 1 analyse /samples/quillon/lpddr2_pass --json"
    "sondex Sondex sondex-cli 1 analyse /samples/sondex/logs"
    "quillon-orlo QuillonOrlo quillon-orlo-cli 0 scan --normal /samples/quillon_orlo/normal"
)
for entry in "${runs[@]}"; do
    read -r component product cli highest args <<<"$entry"
    failed_before=$failures
    home=/scratch/$component
    mkdir -p "$root$home/home"
    where=$(in_root "command -v $cli" 2>&1) || where=""
    if [ "$where" != "/usr/bin/$cli" ]; then
        fail "$component: $cli not found on PATH in the chroot (got '$where')"
        continue
    fi
    code=0
    in_root "cd $home && HOME=$home/home XDG_CONFIG_HOME=$home/config XDG_STATE_HOME=$home/state \
        $cli $args" >"$scratch/out-$component" 2>&1 || code=$?
    if [ "$code" -gt "$highest" ]; then
        sed 's/^/    /' "$scratch/out-$component" | tail -20 >&2
        fail "$component: $cli $args exited with $code"
    fi
    shipped=$root/usr/share/$component/$product.ini
    user=$root$home/config/$product/$product.ini
    [ -f "$shipped" ] || fail "$component: no shipped default at /usr/share/$component/$product.ini"
    cmp -s "$shipped" "$user" || fail "$component: settings file not seeded at ${user#"$root"}"
    log=$root$home/state/$product/$cli.log
    [ -f "$log" ] || fail "$component: no tool log at ${log#"$root"}"
    [ "$failures" -eq "$failed_before" ] &&
        echo "ok  $component: $where $args -> exit $code, seeded ${user#"$root"}, log ${log#"$root"}"
done

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "chroot package test passed: installed with apt and started from PATH on a fresh Debian 12"
