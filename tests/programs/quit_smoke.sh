#!/bin/sh
# A program started on the SDL back-end keeps running until the session asks it to quit, then ends
# through its normal shutdown with status 0. It runs on the demo installation written by mkdemo.
set -u
program=$1
mkdemo=$2
dir=$(mktemp -d)
cd "$dir" || exit 1
"$mkdemo" . >/dev/null || exit 1
SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$program" &
pid=$!
sleep 2
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
