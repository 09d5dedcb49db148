#!/bin/sh
# A program started on the SDL back-end keeps running until the session asks it to quit, then ends
# through its normal shutdown with status 0. It runs in a fresh demo installation written by mkdemo
# (quit_smoke.sh <program> <mkdemo>), since the game stops at start-up without its data.
set -u
program=$1
mkdemo=$2
dir=$(mktemp -d)
cd "$dir" || exit 1
"$mkdemo" . >/dev/null || exit 1
SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$program" &
pid=$!
sleep 2
# Under a loaded machine the program may still be starting: wait (up to a minute) until SDL has put its
# SIGTERM handler in place, so the request to quit reaches the game instead of killing the process.
tries=0
while [ "$tries" -lt 300 ] && kill -0 "$pid" 2>/dev/null; do
    caught=$(awk '/^SigCgt/ { print substr($2, length($2) - 3) }' "/proc/$pid/status" 2>/dev/null)
    [ -n "$caught" ] && [ $(( 0x$caught & 0x4000 )) -ne 0 ] && break
    sleep 0.2
    tries=$((tries + 1))
done
if ! kill -0 "$pid" 2>/dev/null; then
    echo "$program ended before it was asked to quit"
    rm -rf "$dir"
    exit 1
fi
kill -TERM "$pid"
wait "$pid"
status=$?
rm -rf "$dir"
if [ "$status" -ne 0 ]; then
    echo "$program ended with status $status"
    exit 1
fi
