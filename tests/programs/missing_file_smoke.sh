#!/bin/sh
# A program started on the SDL back-end in a demo installation that lacks a file the start-up cannot
# go without stops at once with the game's own text and its fatal code 999, which the host's exit
# status keeps as 999 mod 256 = 231 (missing_file_smoke.sh <program> <mkdemo>). Each row: the file
# taken away (below the installation's drives folder), then the text.
set -u
program=$1
mkdemo=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fails=0
while IFS='|' read -r file expected; do
    [ -z "$file" ] && continue
    rm -rf "$dir/demo"
    "$mkdemo" "$dir/demo" >/dev/null || { echo "FAIL: mkdemo"; exit 1; }
    if [ ! -f "$dir/demo/drives/$file" ]; then
        echo "FAIL: the demo installation has no $file"
        fails=$((fails + 1))
        continue
    fi
    rm "$dir/demo/drives/$file"
    # No display: the message box cannot open, and the text is on the standard error all the same. A
    # program that does not stop is ended after 60 seconds (status 124).
    err=$(cd "$dir/demo" && env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
        timeout 60 "$program" 2>&1 >/dev/null)
    status=$?
    if [ "$status" -ne 231 ] || ! printf '%s\n' "$err" | grep -qxF "[Error] $expected"; then
        printf 'FAIL: without %s: status %s, expected 231; standard error:\n%s\n' "$file" "$status" "$err"
        fails=$((fails + 1))
    fi
done <<'ROWS'
C/VORN/KALDER/DATA/3DC/DIALOG.DRD|Kalder Internal Error : can't create DLG
ROWS
[ "$fails" -eq 0 ] && echo "every start-up stopped with its text"
[ "$fails" -eq 0 ]
