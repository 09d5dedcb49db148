#!/bin/sh
# A program started on the SDL back-end in a quick-end demo installation (Project0's exit leads at
# once to the end scene) leaves the title on "NEW GAME" and then ends by itself, through its normal
# shutdown, with status 0 and within 10 seconds (end_smoke.sh <program> <mkdemo>). The title waits for
# keys, which reach a program only through a real X server: the test starts its own Xvfb and presses
# Space and Return with xdotool. Without them it reports itself skipped (status 77).
set -u
program=$1
mkdemo=$2
if ! command -v Xvfb >/dev/null 2>&1 || ! command -v xdotool >/dev/null 2>&1; then
    echo "Xvfb or xdotool is not installed (tools/install-deps.sh installs them): skipped"
    exit 77
fi
dir=$(mktemp -d)
cd "$dir" || exit 1
"$mkdemo" --quick-end . >/dev/null || exit 1

# The server picks a free display itself and writes its number once it accepts clients.
Xvfb -displayfd 3 -screen 0 1280x720x24 -nolisten tcp 3>display.txt >xvfb.log 2>&1 &
xvfb=$!
waited=0
while [ ! -s display.txt ] && [ "$waited" -lt 100 ]; do
    sleep 0.1
    waited=$((waited + 1))
done
if [ ! -s display.txt ]; then
    echo "Xvfb did not start"
    cat xvfb.log
    kill "$xvfb" 2>/dev/null
    rm -rf "$dir"
    exit 1
fi
DISPLAY=:$(cat display.txt)
export DISPLAY
finish() { # status
    kill "$xvfb" 2>/dev/null
    wait "$xvfb" 2>/dev/null
    rm -rf "$dir"
    exit "$1"
}

# Under a real X server SDL loads the X and message-bus client libraries, which keep blocks to the end
# of the process and are unloaded before a sanitized build's leak check can name them: that check is
# off here. The same end of the game is leak-checked headless (demo_run_tests), and the program's own
# shutdown under the dummy driver (quit_smoke.sh).
ASAN_OPTIONS="detect_leaks=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}" SDL_AUDIODRIVER=dummy \
    "$program" >stdout.txt 2>stderr.txt &
pid=$!
window=$(timeout 10 xdotool search --sync --name '^Kalder$' | head -n 1)
if [ -z "$window" ]; then
    echo "$program opened no window titled Kalder"
    kill -TERM "$pid" 2>/dev/null
    wait "$pid"
    finish 1
fi
# The window may not be mapped yet when it is found: the focus is asked for again until it is given.
tries=0
until timeout 2 xdotool windowfocus --sync "$window" 2>/dev/null || [ "$tries" -ge 20 ]; do
    sleep 0.1
    tries=$((tries + 1))
done
# Space leaves the intro and Return chooses "NEW GAME". A key pressed while the program still loads
# may be lost: the pair is pressed again while the program runs (Return does nothing in the intro,
# neither key anything in the quick-end level).
waited=0
while kill -0 "$pid" 2>/dev/null && [ "$waited" -lt 100 ]; do
    case $waited in
    5 | 20 | 35)
        xdotool key space
        sleep 0.4
        xdotool key Return
        ;;
    esac
    sleep 0.1
    waited=$((waited + 1))
done
if kill -0 "$pid" 2>/dev/null; then
    echo "$program did not end by itself within 10 seconds"
    kill -TERM "$pid"
    wait "$pid"
    finish 1
fi
wait "$pid"
status=$?
if [ "$status" -ne 0 ]; then
    echo "$program ended with status $status"
    cat stderr.txt
    finish 1
fi
if [ "$(tail -c 18 stdout.txt)" != "desinit 3Dengine " ]; then
    echo "$program did not shut its 3D engine down last:"
    tail -c 200 stdout.txt
    finish 1
fi
finish 0
