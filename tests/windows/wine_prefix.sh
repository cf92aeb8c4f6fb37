# shellcheck shell=bash
# Sourced by the Windows tests that run Wine.
#   use_wine_prefix WINE PREFIX RUNS
# exports the environment that every test runs Wine in, with the Wine prefix
# PREFIX that all batch tests share (the first test to need it creates it, the
# others wait for it), and makes drive M: the directory RUNS of the run
# directories. It leaves $prefix and $runs as absolute paths: Wine wants an
# absolute prefix.
use_wine_prefix() {
    local wine=$1
    mkdir -p "$(dirname "$2")" "$3"
    prefix=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
    runs=$(cd "$3" && pwd)

    export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all
    # Wine maps Linux file names to Unicode through the locale: under a UTF-8 one,
    # the names that a setup script makes arrive as the characters they spell
    # (under LANG=C they would arrive byte by byte).
    export LC_ALL=C.UTF-8
    # No Mono or Gecko installer, no window: the tests need neither.
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    unset DISPLAY WAYLAND_DISPLAY

    exec 9>"$prefix.lock"
    flock 9
    # (Wine writes the registry files only later, so a mark of our own tells that
    # the prefix is complete.)
    if [ ! -f "$prefix/.tarvelix-ready" ]; then
        echo "creating the Wine prefix $prefix"
        "$wine" wineboot --init >"$prefix.log" 2>&1 || {
            echo "wineboot failed:"
            tail -20 "$prefix.log"
            exit 1
        }
        # wineboot returns while set-up processes may still run: wait until the
        # prefix's server has ended, so that no test starts on a prefix in the making.
        local wineserver
        wineserver=$(dirname "$wine")/wineserver
        [ -x "$wineserver" ] || wineserver=wineserver
        "$wineserver" -w
        touch "$prefix/.tarvelix-ready"
    fi
    # Drive M: is the directory of the run directories, so that a script finds its
    # own at M:\<name>, a path that does not depend on where the build tree lies.
    [ "$(readlink "$prefix/dosdevices/m:")" = "$runs" ] || ln -sfn "$runs" "$prefix/dosdevices/m:"
    flock -u 9
    exec 9>&-
}
