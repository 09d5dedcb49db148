#!/bin/sh
# Starts a program in a real X server (Xvfb) on the demo installation, checks that its window
# "Kalder" opens, closes the window as a user would and checks that the program
# ends with status 0.
#
#   xvfb-run -a tools/xvfb-demo.sh [kalder|kalderdx]      (after `make release`)
#
# With `input` it starts `kshow echo` instead, types keys into its window with xdotool, one step per
# scan, and checks the key events it printed.
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-kalder}
demo=$top/build/demo
if [ "$program" = input ]; then
    out=$(mktemp)
    "$top/build/release/tools/kshow/kshow" echo >"$out" 2>&1 &
    pid=$!
    window=""
    for _ in 1 2 3 4 5 6 7 8 9 10; do
        sleep 0.5
        window=$(xwininfo -root -tree | awk '/"Kalder"/ { print $1; exit }')
        [ -n "$window" ] && break
    done
    if [ -z "$window" ]; then
        echo "no window titled Kalder"
        kill "$pid" 2>/dev/null
        exit 1
    fi
    xdotool windowfocus --sync "$(printf '%d' "$window")" 2>/dev/null
    sleep 0.5
    for step in "key F3" "keydown Control_L" "key a" "keyup Control_L" "key KP_Left" "key Tab"; do
        xdotool $step
        sleep 0.1
    done
    sleep 0.3
    python3 "$top/tools/xclose.py" "$(printf '%d' "$window")"
    wait "$pid"
    keys=$(awk '$1 == "3" { sub("a=", "", $2); printf "%s ", $2 }' "$out")
    echo "key events: $keys"
    echo "tick events: $(grep -c '^;' "$out")"
    rm -f "$out"
    [ "$keys" = "0x72 0x11 0xa2 0x41 0x25 0x09 " ]
    exit
fi
"$top/build/release/tools/mkdemo/mkdemo" "$demo" >/dev/null || exit 1
cd "$demo" || exit 1
"$top/build/release/programs/$program" >"$demo/$program.out" 2>&1 &
pid=$!
window=""
for _ in 1 2 3 4 5 6 7 8 9 10; do
    sleep 0.5
    window=$(xwininfo -root -tree | awk '/"Kalder"/ { print $1; exit }')
    [ -n "$window" ] && break
done
if [ -z "$window" ]; then
    echo "no window titled Kalder"
    kill "$pid" 2>/dev/null
    exit 1
fi
echo "window $window titled Kalder is open"
python3 "$top/tools/xclose.py" "$(printf '%d' "$window")"
wait "$pid"
status=$?
echo "$program ended with status $status"
[ "$status" -eq 0 ]
