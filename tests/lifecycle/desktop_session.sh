#!/usr/bin/env bash
# The real player on a virtual X display under a real window manager and a
# private session bus, driven by keys and the bus as a desktop would:
#   desktop_session.sh PLAYER CASE
# CASE is "modal-quit" (a message box or the open dialog is open when Quit
# or SIGTERM arrives: the player ends with status 0 and its settings saved)
# or "places" (three starts and exits keep every window where it was).
# Exits 77 (skipped) when the desktop tools are missing.
set -u
PLAYER=$1
CASE=$2

for tool in xvfb-run openbox xdotool xprop dbus-run-session gdbus; do
    command -v "$tool" >/dev/null || { echo "skipped: no $tool"; exit 77; }
done
if [ -z "${CX_DESKTOP_SESSION:-}" ]; then
    export CX_DESKTOP_SESSION=1
    exec xvfb-run -a -s "-screen 0 1600x1000x24" dbus-run-session -- bash "$0" "$@"
fi

HOME_DIR=$(mktemp -d)
trap 'kill "$WM" 2>/dev/null; rm -rf "$HOME_DIR"' EXIT
openbox >/dev/null 2>&1 &
WM=$!
mkdir -p "$HOME_DIR/run" && chmod 700 "$HOME_DIR/run"
export XDG_RUNTIME_DIR=$HOME_DIR/run XDG_CONFIG_HOME=$HOME_DIR/config XDG_DATA_HOME=$HOME_DIR/data
export QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy
unset QT_SCALE_FACTOR
SETTINGS=$HOME_DIR/config/Sonoferia/Cantabilex.conf
BUS=org.mpris.MediaPlayer2.cantabilex
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

on_bus() {
    gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
        --method org.freedesktop.DBus.NameHasOwner "$BUS" 2>/dev/null | grep -q true
}

# The player's own window: the karaoke window shares its title but is frameless
# (an override type) and has no Ctrl+O, so whichever is mapped first won't do.
player_window() {
    local w
    for w in $(xdotool search --onlyvisible --pid "$PID" --name '^Cantabilex$' 2>/dev/null); do
        xprop -id "$w" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q OVERRIDE || { echo "$w"; return; }
    done
}

# Starts the player; PID holds its process id once it is on the bus with its window shown.
start_player() {
    "$PLAYER" "$@" >"$HOME_DIR/out.log" 2>"$HOME_DIR/err.log" &
    PID=$!
    for _ in $(seq 300); do
        on_bus && PLAYER_WINDOW=$(player_window) && [ -n "$PLAYER_WINDOW" ] && return 0
        kill -0 "$PID" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}

# Only the player's own top levels: the window manager's decorations come and
# go with the focus and would make the count drift.
visible_windows() {
    xdotool search --onlyvisible --pid "$PID" --classname '^cantabilex$' 2>/dev/null | wc -l
}

# Waits for the player to end; STATUS is its exit status (124 when it hung).
finish_player() {
    for _ in $(seq 300); do
        kill -0 "$PID" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$PID" 2>/dev/null; then
        kill -9 "$PID"
        wait "$PID" 2>/dev/null
        STATUS=124
        return
    fi
    wait "$PID"
    STATUS=$?
}

quit_player() {
    case $1 in
        mpris) gdbus call --session --dest "$BUS" --object-path /org/mpris/MediaPlayer2 \
                   --method org.mpris.MediaPlayer2.Quit >/dev/null ;;
        sigterm) kill -TERM "$PID" ;;
    esac
}

modal_quit() {
    local keys=$1 how=$2 before
    rm -rf "$HOME_DIR/config" "$HOME_DIR/data"
    start_player || { fail "$keys/$how: the player did not start"; return; }
    before=$(visible_windows)
    xdotool windowactivate --sync "$PLAYER_WINDOW" 2>/dev/null
    xdotool key --clearmodifiers "$keys"
    for _ in $(seq 100); do
        [ "$(visible_windows)" -gt "$before" ] && break
        sleep 0.1
    done
    [ "$(visible_windows)" -gt "$before" ] || fail "$keys/$how: no dialog opened"
    quit_player "$how"
    finish_player
    [ "$STATUS" = 0 ] || fail "$keys/$how: exit status $STATUS"
    grep -q 'player%20position' "$SETTINGS" 2>/dev/null || fail "$keys/$how: settings not saved"
    if grep -q 'Sanitizer' "$HOME_DIR/err.log"; then
        fail "$keys/$how: sanitizer report"
        cat "$HOME_DIR/err.log"
    fi
}

# Waits until the window manager has framed the window, and a moment more
# for its moves to reach the player.
framed() {
    for _ in $(seq 100); do
        xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | grep -q '=' && { sleep 2; return 0; }
        sleep 0.1
    done
    return 1
}

stored_places() {
    grep -E '^(player|userlist|eq|karaoke%20window)%20position=' "$SETTINGS" | sort
}

# The player's place must hold from the first start on; every window's from
# the second (a window never shown keeps its first, default place only once).
places() {
    local first="" second="" now
    for run in 1 2 3; do
        start_player || { fail "start $run: the player did not start"; return; }
        framed "$PLAYER_WINDOW" || fail "start $run: the window manager never framed the player"
        quit_player mpris
        finish_player
        [ "$STATUS" = 0 ] || fail "start $run: exit status $STATUS"
        now=$(stored_places)
        echo "start $run: $(echo "$now" | tr '\n' ' ')"
        case $run in
            1) first=$(echo "$now" | grep '^player') ;;
            2) second=$now ;;
            3) [ "$now" = "$second" ] || fail "start 3 moved windows: $now (before: $second)" ;;
        esac
        if [ "$(echo "$now" | grep '^player')" != "$first" ]; then
            fail "start $run moved the player: $(echo "$now" | grep '^player') (first: $first)"
        fi
    done
}

case $CASE in
    modal-quit)
        for keys in k ctrl+o; do
            for how in mpris sigterm; do modal_quit "$keys" "$how"; done
        done ;;
    places) places ;;
    *) echo "unknown case $CASE"; exit 2 ;;
esac

if [ "$failures" -gt 0 ]; then
    echo "$failures failed"
    exit 1
fi
echo "$CASE: passed"
