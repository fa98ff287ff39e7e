#!/bin/bash
# Screenshots of the live views as a user sees them: kr7m under a bare X server of the given
# size against kr7m-sim, each view opened from the Measurement menu by key strokes.
#   scripts/view-shots.sh OUTDIR [WIDTHxHEIGHT] [CONNECTION 0..4] [fail]
# "fail" stops the simulator for a while after some readings, so that reads fail and the trend
# shows their gap; it is screenshot while the instrument is silent still.
# Needs xvfb-run, xdotool and imagemagick's import.
set -u
out=${1:?output folder}
size=${2:-1024x640}
system=${3:-4}
mode=${4:-}
here=$(cd "$(dirname "$0")/.." && pwd)
bin=${KR7M_BIN:-$here/build/bin}
mkdir -p "$out"
work=$(mktemp -d /tmp/kr7m-shots-XXXXXX)
trap 'kill $sim 2>/dev/null; rm -rf "$work"' EXIT

# An instrument of the chosen connection type: its configuration file with that type.
"$bin/kr7m-sim" "$work/sim" >/dev/null 2>&1 &
sim=$!
for _ in $(seq 50); do [ -e "$work/sim" ] && break; sleep 0.1; done
KR7M_CONFIG_DIR=$work "$bin/kr7mctl" --device "$work/sim" read-config "$work/base.KR7" >/dev/null
kill $sim; wait $sim 2>/dev/null
awk -F'\t' -v OFS='\t' -v s="$system" 'NR == 2 { $10 = s } { print }' "$work/base.KR7" >"$work/c.KR7"

printf '[Interface]\r\nCOMPort = 1\r\nCOMType = 0\r\nDevAddr = 1\r\n\r\n[Ports]\r\nCOM1 = "%s"\r\n\r\n' \
    "$work/sim" >"$work/KR7M.ini"

shoot() { # view key, name
    "$bin/kr7m-sim" "$work/sim" --config "$work/c.KR7" >/dev/null 2>&1 &
    sim=$!
    for _ in $(seq 50); do [ -e "$work/sim" ] && break; sleep 0.1; done
    KR7M_CONFIG_DIR=$work xvfb-run -a -s "-screen 0 ${size}x24" bash -c '
        "$0" & app=$!
        for _ in $(seq 100); do
            win=$(xdotool search --name "KR7M Configurator" 2>/dev/null | head -1)
            [ -n "$win" ] && break; sleep 0.1
        done
        sleep 1
        xdotool windowfocus --sync "$win" 2>/dev/null
        xdotool key --delay 200 alt+m "$1"
        sleep 12
        if [ "$3" = fail ]; then kill -CONT "$4"; kill -STOP "$4"; sleep 9; kill -CONT "$4"; sleep 8; kill -STOP "$4"; sleep 5; fi
        import -window root "$2"
        kill -CONT "$4"
        kill $app; wait $app 2>/dev/null' \
        "$bin/kr7m" "$1" "$out/$2_${size}_type${system}${mode:+_$mode}.png" "$mode" "$sim"
    kill $sim; wait $sim 2>/dev/null
}
shoot i values
shoot m minmax
shoot e mean
ls "$out"
