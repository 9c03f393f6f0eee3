#!/usr/bin/env bash
# Installs each product into a scratch DESTDIR and runs its installed batch program on the
# bundled samples with HOME and the XDG folders in a scratch folder: the settings file must
# be seeded there, the tool log written there, nothing written beside the program, and an
# edit of the user's settings file must take effect. Then builds the Debian packages and
# checks them (contents, lintian, desktop-file-validate, appstreamcli) and, where a container
# runtime is reachable, installs them with dpkg on a fresh Debian 12.
# Usage: scripts/package-test.sh [BUILD_DIR]   (the build must be complete; no root needed)
set -euo pipefail
cd "$(dirname "$0")/.."
src=$PWD
build=$(cd "${1:-build}" && pwd)
scratch=$(mktemp -d "${TMPDIR:-/tmp}/package-test.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# component Product batch-program, then the arguments of a sample run
products=(
    "quillon Quillon quillon-cli"
    "sondex Sondex sondex-cli"
    "quillon-orlo QuillonOrlo quillon-orlo-cli"
)
sample_args() {
    case $1 in
    quillon) echo "analyse $src/samples/quillon/lpddr2_pass --json" ;;
    sondex) echo "analyse $src/samples/sondex/logs" ;;
    quillon-orlo) echo "scan --normal $src/samples/quillon_orlo/normal" ;;
    esac
}
# An edit of the user's settings file and the text the next run must then print.
edit_settings() {
    case $1 in
    quillon) sed -i 's/^Type=1/Type=4/' "$2"; echo '"logType": 4' ;;
    sondex) sed -i 's/^CA_sr0_800=288/CA_sr0_800=400/' "$2"; echo 'K7_board01.Txt: Fail' ;;
    quillon-orlo) sed -i 's/^Prompt=.*/Prompt=edited by the package test/' "$2"
        echo 'edited by the package test' ;;
    esac
}

settings_option() {
    case $1 in
    sondex) echo --config ;;
    *) echo --settings ;;
    esac
}

run_installed() { # root component cli [more arguments] -> output in $scratch/out
    local root=$1 component=$2 cli=$3
    shift 3
    # shellcheck disable=SC2046
    (cd "$scratch" && env HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" \
        XDG_STATE_HOME="$scratch/state" PATH="$root/usr/bin:/usr/bin:/bin" \
        "$cli" $(sample_args "$component") "$@" >"$scratch/out" 2>&1) || true
}

echo "== install into a scratch DESTDIR"
for entry in "${products[@]}"; do
    read -r component product cli <<<"$entry"
    root=$scratch/destdir-$component
    failed_before=$failures
    rm -rf "$scratch/home" "$scratch/config" "$scratch/state"
    DESTDIR=$root cmake --install "$build" --prefix /usr --component "$component" >/dev/null
    if [ ! -x "$root/usr/bin/$cli" ]; then
        fail "$component: $cli not installed"
        continue
    fi
    shipped=$root/usr/share/$component/$product.ini
    [ -f "$shipped" ] || fail "$component: no shipped default at $shipped"
    before=$(cd "$root" && find . | sort)

    run_installed "$root" "$component" "$cli"
    user=$scratch/config/$product/$product.ini
    if ! cmp -s "$shipped" "$user"; then
        fail "$component: settings file not seeded at $user"
    fi
    log=$scratch/state/$product/$cli.log
    [ -f "$log" ] || fail "$component: no tool log at $log"
    after=$(cd "$root" && find . | sort)
    [ "$before" = "$after" ] || fail "$component: files written under the install root:
$(diff <(echo "$before") <(echo "$after") || true)"
    if [ "$component" = sondex ]; then
        [ -f "$scratch/config/Sondex/Sondex.dat" ] || fail "sondex: .dat not beside the user's .ini"
    fi

    expected=$(edit_settings "$component" "$user")
    run_installed "$root" "$component" "$cli"
    grep -qF "$expected" "$scratch/out" || fail "$component: the edited settings had no effect \
(expected '$expected' in the output)"
    cmp -s "$shipped" "$user" && fail "$component: the user's edit was overwritten"
    # A settings file named on the command line: the log still goes to the state folder.
    cp "$user" "$scratch/named.ini"
    rm -rf "$scratch/state"
    run_installed "$root" "$component" "$cli" "$(settings_option "$component")" "$scratch/named.ini"
    [ -f "$log" ] || fail "$component: no tool log at $log with a named settings file"
    grep -qF "$expected" "$scratch/out" || fail "$component: the named settings file was not read"

    env HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" XDG_STATE_HOME="$scratch/state" \
        "$root/usr/bin/$cli" --help >"$scratch/help" 2>&1 || true
    grep -qF "$user" "$scratch/help" || fail "$component: --help does not name $user"
    [ "$failures" -eq "$failed_before" ] &&
        echo "ok  $component: seeded $user, log $log, edit took effect"
done

echo "== Debian packages"
debs=$scratch/debs
mkdir -p "$debs"
if ! command -v dpkg-shlibdeps >/dev/null; then
    fail "dpkg-shlibdeps missing (Debian package dpkg-dev): packages not built"
else
    (cd "$build" && cpack -G DEB -B "$debs" >"$scratch/cpack.log" 2>&1) ||
        { cat "$scratch/cpack.log" >&2; fail "cpack -G DEB failed"; }
    for entry in "${products[@]}"; do
        read -r component product cli <<<"$entry"
        deb=$(ls "$debs/${component}_"*.deb 2>/dev/null | head -1)
        if [ -z "$deb" ]; then
            fail "$component: no package"
            continue
        fi
        root=$scratch/deb-$component
        failed_before=$failures
        dpkg-deb -x "$deb" "$root"
        for f in "usr/bin/$cli" "usr/share/$component/$product.ini" \
            "usr/share/man/man1/$cli.1.gz" "usr/share/doc/$component/copyright"; do
            [ -e "$root/$f" ] || fail "$component: $f missing from the package"
        done
        dpkg-deb -f "$deb" Depends | grep -q libc6 || fail "$component: no computed Depends"
        # A package unpacked under any prefix works: run the batch program from it.
        rm -rf "$scratch/home" "$scratch/config" "$scratch/state"
        run_installed "$root" "$component" "$cli"
        [ -f "$scratch/state/$product/$cli.log" ] || fail "$component: unpacked package wrote no log"
        [ "$failures" -eq "$failed_before" ] && echo "ok  $component: $(basename "$deb")"
    done

    # Every product's entry and metainfo, also those whose window this build lacks.
    desktops=$(ls "$src"/packaging/*/*.desktop)
    metainfos=$(ls "$build"/packaging/*/*.metainfo.xml)
    if command -v desktop-file-validate >/dev/null; then
        for d in $desktops; do
            desktop-file-validate "$d" || fail "desktop-file-validate $(basename "$d")"
        done
        echo "ok  desktop-file-validate: $(echo $desktops | wc -w) entries"
    else
        fail "desktop-file-validate missing (Debian package desktop-file-utils)"
    fi
    if command -v appstreamcli >/dev/null; then
        for m in $metainfos; do
            appstreamcli validate --no-net "$m" >"$scratch/as.log" 2>&1 ||
                { cat "$scratch/as.log" >&2; fail "appstreamcli validate $(basename "$m")"; }
        done
        echo "ok  appstreamcli validate: $(echo $metainfos | wc -w) files"
    else
        fail "appstreamcli missing (Debian package appstream)"
    fi
    if command -v lintian >/dev/null; then
        # lintian exits non-zero on errors; warnings are printed for the reader.
        lintian --allow-root "$debs"/*.deb >"$scratch/lintian.log" 2>&1 ||
            fail "lintian reported errors"
        cat "$scratch/lintian.log"
        echo "ok  lintian: no error"
    else
        fail "lintian missing (Debian package lintian)"
    fi

    echo "== dpkg -i on a fresh Debian 12"
    if command -v docker >/dev/null && docker info >/dev/null 2>&1 &&
        docker image inspect debian:12 >/dev/null 2>&1; then
        docker run --rm -v "$debs:/debs:ro" -v "$src/samples:/samples:ro" debian:12 sh -ec '
            apt-get update -q >/dev/null
            apt-get install -y -q /debs/*.deb >/dev/null
            cd /tmp
            quillon-orlo-cli scan --normal /samples/quillon_orlo/normal >/dev/null
            sondex-cli analyse /samples/sondex/logs >/dev/null || [ $? -le 1 ]
            quillon-cli analyse /samples/quillon/lpddr2_pass >/dev/null || [ $? -le 1 ]
            test -f "$HOME/.config/QuillonOrlo/QuillonOrlo.ini"' ||
            fail "dpkg -i in a fresh debian:12 container"
        echo "ok  installed and started in a fresh debian:12 container"
    else
        echo "not tried: no reachable container runtime with a debian:12 image here"
        if command -v apt-get >/dev/null && grep -q '^VERSION_ID="12"' /etc/os-release 2>/dev/null; then
            # What can be checked without changing this machine: apt resolves every
            # dependency of the three packages from Debian 12.
            apt-get install -s "$debs"/*.deb >"$scratch/apt.log" 2>&1 ||
                { cat "$scratch/apt.log" >&2; fail "apt-get -s install of the packages"; }
            echo "ok  apt-get -s install: dependencies resolve on this Debian 12"
        fi
    fi
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "package test passed"
