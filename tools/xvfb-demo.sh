#!/bin/sh
# Starts a program in a real X server (Xvfb) on the demo installation, checks that its window
# "Kalder" opens, closes the window as a user would and checks that the program
# ends with status 0.
#
#   xvfb-run -a tools/xvfb-demo.sh [kalder|kalderdx]      (after `make release`)
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-kalder}
demo=$top/build/demo
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
