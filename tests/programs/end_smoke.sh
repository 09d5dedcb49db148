#!/bin/sh
# A program started on the SDL back-end in a quick-end demo installation (Project0's exit leads at
# once to the end scene) ends by itself, through its normal shutdown, with status 0 and within 10
# seconds (end_smoke.sh <program> <mkdemo>).
set -u
program=$1
mkdemo=$2
dir=$(mktemp -d)
cd "$dir" || exit 1
"$mkdemo" --quick-end . >/dev/null || exit 1
SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$program" >stdout.txt 2>stderr.txt &
pid=$!
waited=0
while kill -0 "$pid" 2>/dev/null && [ "$waited" -lt 100 ]; do
    sleep 0.1
    waited=$((waited + 1))
done
if kill -0 "$pid" 2>/dev/null; then
    echo "$program did not end by itself within 10 seconds"
    kill -TERM "$pid"
    wait "$pid"
    rm -rf "$dir"
    exit 1
fi
wait "$pid"
status=$?
if [ "$status" -ne 0 ]; then
    echo "$program ended with status $status"
    cat stderr.txt
    rm -rf "$dir"
    exit 1
fi
if [ "$(tail -c 18 stdout.txt)" != "desinit 3Dengine " ]; then
    echo "$program did not shut its 3D engine down last:"
    tail -c 200 stdout.txt
    rm -rf "$dir"
    exit 1
fi
rm -rf "$dir"
