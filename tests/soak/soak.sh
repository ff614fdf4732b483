#!/usr/bin/env bash
# Soak test: the release player plays a generated 100-song playlist for
# MINUTES minutes under a virtual display, the dummy audio driver and a
# private session bus, with a scratch home (the user's settings stay
# untouched). It is driven through MPRIS like a remote control gone mad:
# seeks, pauses, plays, next and previous, tempo (Rate) and key
# (org.sonoferia.Cantabilex.Player.Transpose) changes. It watches for
#   crashes  the player died, dumped core, a sanitizer spoke, or quit badly;
#   stalls   PlaybackStatus Playing while Position stays put for over 3 s,
#            or the player not answering on the bus;
#   memory   VmRSS every few seconds; growth from the end of the first
#            minute (after every kind of song has been opened) to the end,
#            each the highest sample of the minute around it (the heap's high
#            water: single samples swing by up to 10 % as songs come and go).
#   tests/soak/soak.sh BUILD_DIR [MINUTES]
# Environment: SOAK_DIR (scratch folder, default BUILD_DIR/soak), SOAK_SEED
# (songs and commands, default 1), SOAK_SONGS (default 100), SOAK_PLAYER (another
# build of the player, e.g. a sanitized one; the songs still come from BUILD_DIR).
# Exit status: 0 clean; 1 a crash, a stall or growth of 5 % or more; 2 bad use.
set -u

usage() {
    echo "usage: $0 BUILD_DIR [MINUTES]" >&2
    exit 2
}
[ $# -ge 1 ] && [ $# -le 2 ] || usage
BUILD=$(cd "$1" 2>/dev/null && pwd) || usage
MINUTES=${2:-10}
[[ $MINUTES =~ ^[1-9][0-9]*$ ]] || usage
RUN=${SOAK_DIR:-$BUILD/soak}
SEED=${SOAK_SEED:-1}
COUNT=${SOAK_SONGS:-100}
PLAYER=${SOAK_PLAYER:-$BUILD/cantabilex}
SONGS=$RUN/songs

readonly SERVICE=org.mpris.MediaPlayer2.cantabilex
readonly OBJECT=/org/mpris/MediaPlayer2
readonly PLAYER_IFACE=org.mpris.MediaPlayer2.Player
readonly KEY_IFACE=org.sonoferia.Cantabilex.Player
readonly STALL_MS=3000
readonly RSS_EVERY_MS=5000
readonly GROWTH_LIMIT=5
readonly WARMUP_MS=60000

if [ "${CX_SOAK_INNER:-}" != 1 ]; then
    for tool in xvfb-run dbus-run-session gdbus; do
        command -v $tool >/dev/null || { echo "soak: $tool is missing (make deps)" >&2; exit 2; }
    done
    [ -x "$PLAYER" ] || { echo "soak: no player at $PLAYER (make build)" >&2; exit 2; }
    GEN=$BUILD/tools/cx_make_soak_songs
    [ -x "$GEN" ] || { echo "soak: no song writer at $GEN (configure with -DCX_SOAK=ON)" >&2; exit 2; }
    mkdir -p "$RUN"
    # The songs depend only on the writer, the count and the seed.
    stamp="$COUNT $SEED $(stat -c %Y "$GEN")"
    if [ "$(cat "$SONGS/.stamp" 2>/dev/null)" != "$stamp" ]; then
        echo "soak: writing $COUNT songs into $SONGS"
        rm -rf "$SONGS"
        nice "$GEN" "$SONGS" "$COUNT" "$SEED" || exit 2
        echo "$stamp" >"$SONGS/.stamp"
    fi
    # A fresh home each run, with auto play on.
    rm -rf "$RUN/home" "$RUN/runtime" "$RUN/cwd"
    mkdir -p "$RUN/home/.config/Sonoferia" "$RUN/home/.local/share" "$RUN/home/.cache" \
        "$RUN/runtime" "$RUN/cwd"
    chmod 700 "$RUN/runtime"
    printf '[General]\nauto%%20play=1\n' \
        >"$RUN/home/.config/Sonoferia/Cantabilex.conf"
    echo "soak: $MINUTES minute(s) on $COUNT songs; logs in $RUN"
    CX_SOAK_INNER=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" \
        dbus-run-session -- "$0" "$@"
fi

# ---- Inside the virtual display and the private bus.

RANDOM=$SEED
EVENTS=$RUN/events.log
RSS_LOG=$RUN/rss.tsv
LOG=$RUN/player.log
: >"$EVENTS"
printf 'seconds\tvmrss_kb\n' >"$RSS_LOG"

now_ms() {
    local t=${EPOCHREALTIME/./}
    echo $((t / 1000))
}
START=$(now_ms)
END=$((START + MINUTES * 60000))
event() {
    local t=$(($(now_ms) - START))
    printf '%4d.%03d %s\n' $((t / 1000)) $((t % 1000)) "$*" >>"$EVENTS"
}

# METHOD ARGS...: a call on the player's object; its answer on stdout. A player
# that takes longer than a stall to answer (or never does) is logged as a stall.
call() {
    local method=$1 t0 answer took
    shift
    t0=$(now_ms)
    answer=$(timeout 8 gdbus call --session --timeout 5 --dest $SERVICE --object-path $OBJECT \
        --method "$method" "$@" 2>&1)
    took=$(($(now_ms) - t0))
    if ((took > STALL_MS)) && alive; then
        event "STALL: no answer within $took ms to ${method##*.}: ${answer:0:120}"
    fi
    printf '%s\n' "$answer"
}
set_property() {  # INTERFACE NAME VALUE (GVariant text)
    call org.freedesktop.DBus.Properties.Set "$1" "$2" "<$3>" >/dev/null
}
field() {  # NAME PREFIX: REPLY = the value of a property in the last poll's answer
    local re="'$1': <$2([^'>,]*)"
    REPLY=""
    [[ $ANSWER =~ $re ]] && REPLY=${BASH_REMATCH[1]}
    return 0
}

ulimit -c unlimited 2>/dev/null
cd "$RUN/cwd" || exit 2
env -u QT_QPA_PLATFORM -u SESSION_MANAGER \
    HOME="$RUN/home" XDG_CONFIG_HOME="$RUN/home/.config" XDG_DATA_HOME="$RUN/home/.local/share" \
    XDG_CACHE_HOME="$RUN/home/.cache" XDG_RUNTIME_DIR="$RUN/runtime" \
    QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy \
    "$PLAYER" "$SONGS/playlist.m3u" >"$LOG" 2>&1 &
PID=$!
event "player started, pid $PID"

crashes=0 stalls=0 commands=0 songs=0 quit="not reached"
declare -A seen=()
rss_max=0
track="" status="" position=-1 length=0 min_rate=1 max_rate=1
moved_at=$START stalled=0 resume_at=0 next_command=0 next_rss=0 warmup_next=0
first_alive=1

alive() { kill -0 "$PID" 2>/dev/null; }

died() {
    wait "$PID"
    local rc=$?
    crashes=$((crashes + 1))
    event "CRASH: the player died (exit status $rc$( ((rc > 128)) && echo ", signal $((rc - 128))"))"
    PID=""
}

# Waits for the player on the bus.
until timeout 5 gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.NameHasOwner $SERVICE 2>/dev/null | grep -q true; do
    if ! alive; then died; break; fi
    if (($(now_ms) - START > 60000)); then
        event "STALL: the player did not appear on the bus within a minute"
        stalls=$((stalls + 1))
        break
    fi
    sleep 0.2
done
# The run's clock starts when the player is up.
START=$(now_ms)
END=$((START + MINUTES * 60000))
moved_at=$START

poll() {
    ANSWER=$(call org.freedesktop.DBus.Properties.GetAll $PLAYER_IFACE)
    if [[ $ANSWER != *PlaybackStatus* ]]; then
        alive || return 1
        # A slow answer is logged by call(); a quick error is the bus's.
        event "no properties: ${ANSWER:0:200}"
        return 0
    fi
    local t
    t=$(now_ms)
    local new_status new_track new_position
    field PlaybackStatus "'" && new_status=$REPLY
    field mpris:trackid "objectpath '" && new_track=$REPLY
    field Position "int64 " && new_position=$REPLY
    field mpris:length "int64 " && length=${REPLY:-0}
    field MinimumRate "" && min_rate=$REPLY
    field MaximumRate "" && max_rate=$REPLY
    if [ -n "$new_track" ] && [ "$new_track" != "$track" ] &&
        [ "$new_track" != /org/mpris/MediaPlayer2/TrackList/NoTrack ]; then
        songs=$((songs + 1))
        seen[$new_track]=1
        field xesam:url "'"
        event "song $songs: ${REPLY##*/} ($((length / 1000000)) s)"
        moved_at=$t
    fi
    track=$new_track
    # Commands do not restart this clock: a seek or a new song moves the
    # position anyway, and a player frozen under a stream of tempo changes
    # must still be caught.
    if [ "$new_status" != Playing ] || [ "$new_position" != "$position" ]; then
        moved_at=$t
        stalled=0
    elif ((t - moved_at > STALL_MS && !stalled)); then
        stalled=1
        stalls=$((stalls + 1))
        event "STALL: Playing at $new_position us without moving for $((t - moved_at)) ms"
    fi
    if [ "$new_status" != "$status" ]; then event "status $new_status"; fi
    status=$new_status
    position=$new_position
    return 0
}

random_between() {  # LOW HIGH (decimals): a value between them, to 3 places
    awk -v lo="$1" -v hi="$2" -v r=$RANDOM 'BEGIN { printf "%.3f", lo + (hi - lo) * r / 32767 }'
}

send_command() {
    local roll=$((RANDOM % 100)) what
    case 1 in
        $((roll < 18)))
            local offset=$(((RANDOM % 31 - 15) * 1000000))
            what="Seek $((offset / 1000000)) s"
            call $PLAYER_IFACE.Seek "int64 $offset" >/dev/null ;;
        $((roll < 30)))
            ((length > 0)) || return 0
            local at=$((RANDOM * (length / 1000000) / 32768 * 1000000))
            # A third of them land near the end, so songs also end by themselves.
            ((RANDOM % 3 == 0 && length > 4000000)) && at=$((length - 3000000))
            what="SetPosition $((at / 1000000)) s"
            call $PLAYER_IFACE.SetPosition "objectpath '$track'" "int64 $at" >/dev/null ;;
        $((roll < 38)))
            what=Pause
            call $PLAYER_IFACE.Pause >/dev/null
            resume_at=$(($(now_ms) + 1000 + RANDOM % 3000)) ;;
        $((roll < 43)))
            what=PlayPause
            call $PLAYER_IFACE.PlayPause >/dev/null
            resume_at=$(($(now_ms) + 1000 + RANDOM % 3000)) ;;
        $((roll < 60)))
            what=Next
            call $PLAYER_IFACE.Next >/dev/null ;;
        $((roll < 65)))
            what=Previous
            call $PLAYER_IFACE.Previous >/dev/null ;;
        $((roll < 82)))
            local rate
            rate=$(random_between "${min_rate:-1}" "${max_rate:-1}")
            what="Rate $rate"
            set_property $PLAYER_IFACE Rate "$rate" ;;
        *)
            local key lo hi
            key=$(call org.freedesktop.DBus.Properties.GetAll $KEY_IFACE)
            lo=$(grep -oP "'MinimumTranspose': <\K-?\d+" <<<"$key")
            hi=$(grep -oP "'MaximumTranspose': <\K-?\d+" <<<"$key")
            local semitones=$(((${lo:-0}) + RANDOM % ((${hi:-0}) - (${lo:-0}) + 1)))
            what="Transpose $semitones"
            set_property $KEY_IFACE Transpose "int32 $semitones" ;;
    esac
    commands=$((commands + 1))
    event "> $what"
}

sample_rss() {
    local t=$(($1 - START)) kb
    kb=$(awk '/^VmRSS:/ { print $2 }' /proc/"$PID"/status 2>/dev/null)
    [ -n "$kb" ] || return 0
    printf '%d\t%d\n' $((t / 1000)) "$kb" >>"$RSS_LOG"
    ((kb > rss_max)) && rss_max=$kb
    return 0
}

while [ -n "$PID" ]; do
    t=$(now_ms)
    ((t >= END)) && break
    if ! alive; then died; break; fi
    poll || { died; break; }
    ((t >= next_rss)) && { sample_rss "$t"; next_rss=$((t + RSS_EVERY_MS)); }
    # The first minute opens one song of each kind before the baseline.
    if ((t - START < WARMUP_MS - 15000 && t >= warmup_next)); then
        if ((first_alive)); then first_alive=0; else
            call $PLAYER_IFACE.Next >/dev/null
            commands=$((commands + 1))
            event "> Next (warm-up)"
        fi
        warmup_next=$((t + 10000))
    elif ((resume_at && t >= resume_at)); then
        resume_at=0
        if [ "$status" != Playing ]; then
            call $PLAYER_IFACE.Play >/dev/null
            commands=$((commands + 1))
            event "> Play"
        fi
    elif ((t >= next_command)); then
        [ "$status" = Stopped ] && { call $PLAYER_IFACE.Play >/dev/null; event "> Play (was stopped)"; }
        send_command
        next_command=$(($(now_ms) + 700 + RANDOM % 1800))
    fi
    sleep 0.3
done

# ---- The end: quit over the bus and look for what a crash leaves.
if [ -n "$PID" ]; then
    sample_rss "$(now_ms)"
    call org.mpris.MediaPlayer2.Quit >/dev/null
    for _ in $(seq 60); do alive || break; sleep 0.5; done
    if alive; then
        quit="hung (killed)"
        kill -9 "$PID"
        wait "$PID" 2>/dev/null
        stalls=$((stalls + 1))
        event "STALL: the player did not quit within 30 s"
    else
        wait "$PID"
        rc=$?
        if ((rc == 0)); then quit=clean; else
            quit="exit status $rc"
            crashes=$((crashes + 1))
            event "CRASH: the player quit with exit status $rc"
        fi
    fi
fi
cores=$(find "$RUN/cwd" -maxdepth 1 -name 'core*' | wc -l)
sanitizer=$(grep -cE 'ERROR: (Address|Leak|Thread)Sanitizer|runtime error:' "$LOG")
# A core or a sanitizer report without a death (UBSan goes on) is a crash too.
((crashes == 0)) && crashes=$((cores + sanitizer))
unanswered=$(grep -c 'STALL: no answer' "$EVENTS")
stalls=$((stalls + unanswered))

# The high water of 30 to 90 s, and of the last minute.
last=$(tail -n 1 "$RSS_LOG" | cut -f 1)
rss_1min=$(awk -v at=$((WARMUP_MS / 1000)) 'NR > 1 && $1 >= at - 30 && $1 < at + 30 && $2 > m { m = $2 }
    END { print m }' "$RSS_LOG")
rss_end=$(awk -v from=$((last - 60)) 'NR > 1 && $1 > from && $2 > m { m = $2 } END { print m }' "$RSS_LOG")
growth="n/a"
failed=$((crashes + stalls > 0))
if ((MINUTES > 1)) && [ -n "$rss_1min" ] && [ -n "$rss_end" ]; then
    growth=$(awk -v a="$rss_1min" -v b="$rss_end" 'BEGIN { printf "%.1f", (b - a) * 100 / a }')
    awk -v g="$growth" -v l=$GROWTH_LIMIT 'BEGIN { exit !(g >= l) }' && failed=1
fi
elapsed=$((($(now_ms) - START) / 1000))
{
    echo "== soak summary ($elapsed s, seed $SEED)"
    echo "songs played:     $songs ($(echo "${!seen[@]}" | wc -w) different)"
    echo "commands sent:    $commands"
    echo "crashes:          $crashes (core files $cores, sanitizer reports $sanitizer, quit $quit)"
    echo "stalls:           $stalls (no answer on the bus $unanswered)"
    echo "RSS at 1 min:     ${rss_1min:-n/a} kB (highest in 30-90 s)"
    echo "RSS at end:       ${rss_end:-n/a} kB (highest in the last minute; of all $rss_max kB)"
    echo "RSS growth:       $growth % (limit $GROWTH_LIMIT %)"
    echo "result:           $( ((failed)) && echo FAILED || echo passed)"
} | tee "$RUN/summary.txt"
if ((crashes + stalls)); then
    echo "-- events:"
    grep -E 'CRASH|STALL' "$EVENTS" | head -n 20
    echo "-- end of the player's log:"
    tail -n 20 "$LOG"
fi
exit $failed
