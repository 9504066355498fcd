#!/bin/bash
# Runs a command inside a throw-away Wine environment:
#   wine-env.sh COMMAND [ARGS...]
#   wine-env.sh --run PROGRAM.exe [ARGS...]    (runs PROGRAM.exe with Wine)
# It makes a virtual display on a free number, a fresh Wine prefix in a
# temporary folder and a Japanese locale (ANSI code page 932), runs COMMAND
# there and then ends everything it started, by process id, also when the
# command fails or the script is interrupted.
#
# COMMAND sees: WINE (the loader to run .exe files with), WINESERVER,
# WINEPREFIX, DISPLAY, QV_WINE_TMP (a scratch folder that goes away
# afterwards). Timeouts: QV_WINE_BOOT_TIMEOUT (default 120 s) for the
# prefix, QV_WINE_RUN_TIMEOUT (default 300 s) for COMMAND.
set -uo pipefail

if [ $# -eq 0 ]; then
    echo "usage: $0 COMMAND [ARGS...]" >&2
    exit 2
fi

run_exe=0
if [ "$1" = --run ]; then
    run_exe=1
    shift
    if [ $# -eq 0 ]; then
        echo "usage: $0 --run PROGRAM.exe [ARGS...]" >&2
        exit 2
    fi
fi

find_wine() {
    if [ -n "${WINE:-}" ]; then
        echo "$WINE"
        return
    fi
    local candidate
    for candidate in "$(command -v wine64 2>/dev/null)" "$(command -v wine 2>/dev/null)" /usr/lib/wine/wine64; do
        if [ -n "$candidate" ] && [ -x "$candidate" ]; then
            echo "$candidate"
            return
        fi
    done
}

WINE=$(find_wine)
if [ -z "$WINE" ]; then
    echo "wine-env: no Wine loader found (set WINE)" >&2
    exit 1
fi
WINESERVER=${WINESERVER:-}
if [ -z "$WINESERVER" ]; then
    for candidate in "$(dirname "$WINE")/wineserver" "$(command -v wineserver 2>/dev/null)" /usr/lib/wine/wineserver; do
        if [ -n "$candidate" ] && [ -x "$candidate" ]; then
            WINESERVER=$candidate
            break
        fi
    done
fi
if [ -z "$WINESERVER" ]; then
    echo "wine-env: no wineserver found (set WINESERVER)" >&2
    exit 1
fi
if ! command -v Xvfb >/dev/null; then
    echo "wine-env: Xvfb not found" >&2
    exit 1
fi
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    echo "wine-env: locale ja_JP.UTF-8 is missing; run scripts/setup-wine-locale.sh as root" >&2
    exit 1
fi

QV_WINE_TMP=$(mktemp -d "${TMPDIR:-/tmp}/quorvane-wine.XXXXXX")
XVFB_PID=
COMMAND_PID=
cleaned=0

cleanup() {
    [ "$cleaned" = 1 ] && return
    cleaned=1
    if [ -n "$COMMAND_PID" ] && kill -0 "$COMMAND_PID" 2>/dev/null; then
        kill -TERM "$COMMAND_PID" 2>/dev/null
        sleep 1
        kill -KILL "$COMMAND_PID" 2>/dev/null
    fi
    # Ends every Wine process of this prefix, then the server itself.
    if [ -d "$QV_WINE_TMP/prefix" ]; then
        WINEPREFIX="$QV_WINE_TMP/prefix" timeout 20 "$WINESERVER" -k >/dev/null 2>&1
        WINEPREFIX="$QV_WINE_TMP/prefix" timeout 20 "$WINESERVER" -w >/dev/null 2>&1
    fi
    if [ -n "$XVFB_PID" ]; then
        kill -TERM "$XVFB_PID" 2>/dev/null
        for _ in 1 2 3 4 5 6 7 8 9 10; do
            kill -0 "$XVFB_PID" 2>/dev/null || break
            sleep 0.2
        done
        kill -KILL "$XVFB_PID" 2>/dev/null
        wait "$XVFB_PID" 2>/dev/null
    fi
    rm -rf "$QV_WINE_TMP"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP

# The display: Xvfb picks a free number and writes it to the descriptor.
Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 3>"$QV_WINE_TMP/display" \
    >"$QV_WINE_TMP/xvfb.log" 2>&1 &
XVFB_PID=$!
display=
for _ in $(seq 1 100); do
    display=$(tr -dc '0-9' <"$QV_WINE_TMP/display" 2>/dev/null)
    if [ -n "$display" ] && [ "$(tail -c 1 "$QV_WINE_TMP/display" | od -An -c | tr -d ' ')" = '\n' ]; then
        break
    fi
    display=
    kill -0 "$XVFB_PID" 2>/dev/null || break
    sleep 0.1
done
if [ -z "$display" ]; then
    echo "wine-env: Xvfb did not start" >&2
    cat "$QV_WINE_TMP/xvfb.log" >&2
    exit 1
fi

export DISPLAY=":$display"
export WINEPREFIX="$QV_WINE_TMP/prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
export LANG=ja_JP.UTF-8
export LC_ALL=ja_JP.UTF-8
export WINE WINESERVER QV_WINE_TMP
unset WINELOADER

if ! timeout "${QV_WINE_BOOT_TIMEOUT:-120}" "$WINE" wineboot --init >"$QV_WINE_TMP/wineboot.log" 2>&1; then
    echo "wine-env: wineboot --init failed or timed out" >&2
    cat "$QV_WINE_TMP/wineboot.log" >&2
    exit 1
fi
# The server stays up for the whole run, with the prefix's services started
# once here: programs started together later do not race to start them.
timeout "${QV_WINE_BOOT_TIMEOUT:-120}" "$WINESERVER" -p
if ! timeout "${QV_WINE_BOOT_TIMEOUT:-120}" "$WINE" cmd.exe /c exit >>"$QV_WINE_TMP/wineboot.log" 2>&1; then
    echo "wine-env: Wine does not run programs in the new prefix" >&2
    cat "$QV_WINE_TMP/wineboot.log" >&2
    exit 1
fi
# Texts and file names are code page 932 bytes: make sure Wine took the locale.
acp=$(timeout 60 "$WINE" reg query 'HKLM\System\CurrentControlSet\Control\Nls\CodePage' /v ACP 2>/dev/null |
      tr -d '\r' | awk '$1 == "ACP" { print $3 }')
if [ "$acp" != 932 ]; then
    echo "wine-env: Wine's ANSI code page is '$acp', not 932 (is the ja_JP.UTF-8 locale usable?)" >&2
    exit 1
fi

if [ "$run_exe" = 1 ]; then
    set -- "$WINE" "$@"
fi
timeout -k 10 "${QV_WINE_RUN_TIMEOUT:-300}" "$@" &
COMMAND_PID=$!
wait "$COMMAND_PID"
status=$?
COMMAND_PID=
exit "$status"
