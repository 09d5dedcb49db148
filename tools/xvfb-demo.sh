#!/bin/sh
# Starts a program in a real X server (Xvfb) on the demo installation, checks that its window
# "Kalder" opens, closes the window as a user would and checks that the program
# ends with status 0.
#
#   xvfb-run -a tools/xvfb-demo.sh [kalder|kalderdx]      (after `make release`)
#
# With `input` it starts `kshow echo` instead, types keys into its window with xdotool, one step per
# scan, and checks the key events it printed. With `controls` it starts `kshow controls`, presses Up,
# holds Left for a second, presses Space and Escape, and checks the control words it printed.
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-kalder}

# Scenarios that start their own X server (1280x720) and check what reaches the screen:
#   tools/xvfb-demo.sh display      (after `make release`; `make demo-display` does both)
#   tools/xvfb-demo.sh frame        the game's hot keys on its frame (`make demo-frame`)
#   tools/xvfb-demo.sh prof         the profiler's bars and frame rate over the cubes (`make demo-prof`)
#   tools/xvfb-demo.sh film-picture the intro's picture between its black bands (`make demo-film-picture`)
#   tools/xvfb-demo.sh title        the intro, the main menu's ring and its choices (`make demo-title`)
#   tools/xvfb-demo.sh moves        the hero walked, turned and jumped by real keys (`make demo-moves`)
# Each prints one line per check and exits non-zero when any check failed.

fails=0
check() { # what, expected, actual
    if [ "$2" = "$3" ]; then
        echo "ok    $1"
    else
        echo "FAIL  $1: expected $2, got $3"
        fails=$((fails + 1))
    fi
}

# The colour at (x, y) of a PNG as r,g,b, each rounded to a multiple of 16 so that the renderer's
# way of widening 5- and 6-bit channels does not matter. A screenshot without colour is stored grey.
colour() { # file x y
    convert "$1" -format "%[pixel:p{$2,$3}]" info: |
        sed -e 's/^srgba\{0,1\}(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1 \2 \3/' \
            -e 's/^graya\{0,1\}(\([0-9]*\)[,)].*/\1 \1 \1/' |
        { read -r r g b; echo "$(((r + 8) / 16 * 16)),$(((g + 8) / 16 * 16)),$(((b + 8) / 16 * 16))"; }
}

# The card's bars, left to right, as colour() gives them.
bars="256,256,256 256,256,0 0,256,256 0,256,0 256,0,256 256,0,0 0,0,256 0,0,0"

# Waits for the window "Kalder" and gives it the focus (no window manager does); prints its id. A
# window found before it is mapped refuses the focus: it is asked for again.
focus_kalder() {
    window=$(timeout 10 xdotool search --sync --name '^Kalder$' | head -n 1)
    if [ -n "$window" ]; then
        tries=0
        until timeout 2 xdotool windowfocus --sync "$window" 2>/dev/null || [ "$tries" -ge 20 ]; do
            sleep 0.1
            tries=$((tries + 1))
        done
    fi
    echo "$window"
}

# Ends a program as the session would and checks that it ended with status 0.
stop_program() { # pid, what
    kill -TERM "$1" 2>/dev/null
    wait "$1"
    check "$2 ends with status 0 after SIGTERM" 0 "$?"
}

# Shows the test card with kshow and takes a screenshot: of the window, or of the whole screen.
card_shot() { # back-end, size, png, window|root, [environment]
    env ${5:-} "$top/build/release/tools/kshow/kshow" card "$1" "$2" >"$out/$3.log" 2>&1 &
    pid=$!
    window=$(focus_kalder)
    if [ -z "$window" ]; then
        check "kshow card $1 $2 opens its window" yes no
        kill "$pid" 2>/dev/null
        return
    fi
    sleep 0.5
    if [ "$4" = root ]; then
        import -window root "$out/$3.png"
    else
        import -window "$window" "$out/$3.png"
    fi
    stop_program "$pid" "kshow card $1 $2"
}

# Checks the bar centres of a card shown at (x0, y0) with a scale of num/den from a card w wide.
check_bars() { # png, card width, x0, y row in the screenshot, num, den
    i=0
    for expected in $bars; do
        x=$(($3 + ($2 / 16 + i * $2 / 8) * $5 / $6))
        check "$1 bar $i at ($x, $4)" "$expected" "$(colour "$out/$1.png" "$x" "$4")"
        i=$((i + 1))
    done
}

display_scenario() {
    out=$top/build/demo
    mkdir -p "$out"

    card_shot window 640x480 display-window-640x480 window
    check "window 640x480 screenshot size" 640x480 "$(identify -format %wx%h "$out/display-window-640x480.png")"
    check_bars display-window-640x480 640 0 150 1 1

    card_shot window 320x200 display-window-320x200 window
    check "window 320x200 stretched to" 640x480 "$(identify -format %wx%h "$out/display-window-320x200.png")"
    check_bars display-window-320x200 320 0 150 2 1
    check "window 320x200 log" "mode 320x200 rgb555=0" "$(cat "$out/display-window-320x200.log")"

    # 640x480 at 4:3 on a 1280x720 screen: 960x720 at x 160, black pillars either side.
    card_shot fullscreen 640x480 display-fullscreen-640x480 root
    check_bars display-fullscreen-640x480 640 160 225 3 2
    check "left pillar" 0,0,0 "$(colour "$out/display-fullscreen-640x480.png" 80 360)"
    check "right pillar" 0,0,0 "$(colour "$out/display-fullscreen-640x480.png" 1200 360)"

    card_shot fullscreen 400x300 display-fullscreen-555-400x300 root KALDER_RGB555=1
    check "RGB555 display log" "mode 400x300 rgb555=1" "$(cat "$out/display-fullscreen-555-400x300.log")"
    check_bars display-fullscreen-555-400x300 400 160 240 12 5
    check "555 left pillar" 0,0,0 "$(colour "$out/display-fullscreen-555-400x300.png" 80 360)"

    refused=$("$top/build/release/tools/kshow/kshow" card window 800x600 2>&1)
    check "kshow card window 800x600" refused "$refused"

    # The game itself: its window, then its full screen.
    "$top/build/release/tools/mkdemo/mkdemo" "$out" >/dev/null || return 1
    for game in kalder kalderdx; do
        (cd "$out" && exec "$top/build/release/programs/$game") >"$out/$game.out" 2>&1 &
        pid=$!
        window=$(focus_kalder)
        size=none
        if [ -n "$window" ]; then
            size=$(xwininfo -id "$window" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
        fi
        if [ "$game" = kalder ]; then
            check "kalder window Kalder with a 640x480 client area" 640x480 "$size"
        else
            check "kalderdx window Kalder covers the screen" 1280x720 "$size"
        fi
        stop_program "$pid" "$game"
    done

    echo "pictures in $out: display-*.png"
    [ "$fails" -eq 0 ]
}

# The bar centres of a frame shown w pixels wide from x0, in one row of the screenshot: one check.
check_row() { # png, what, x0, w, y, expected colours[, samples (8)[, first sample (0)]]
    seen=""
    i=${8:-0}
    while [ "$i" -lt "${7:-8}" ]; do
        seen="$seen $(colour "$out/$1.png" $(($3 + $4 / 16 + i * $4 / 8)) "$5")"
        i=$((i + 1))
    done
    check "$1 $2 row $5" "$6" "${seen# }"
}
black="0,0,0 0,0,0 0,0,0 0,0,0 0,0,0 0,0,0 0,0,0 0,0,0"

# The bar centres of one row, each of which must show something other than black: one check.
check_row_lit() { # png, what, x0, w, y
    dark=""
    i=0
    while [ "$i" -lt 8 ]; do
        c=$(colour "$out/$1.png" $(($3 + $4 / 16 + i * $4 / 8)) "$5")
        if [ "$c" = 0,0,0 ]; then
            dark="$dark $i"
        fi
        i=$((i + 1))
    done
    check "$1 $2 row $5 lit" "" "${dark# }"
}

# What the game's frame shows: the demo level seen from the root camera, black above its horizon
# (just below the middle) and the floor's checker across the whole width below it, down to the
# bottom of the picture.
#
# A screenshot of the game's frame shown w x h from x0: the floor across a row near the bottom of the
# picture, and either a black row in the middle of each letterbox band (an eighth of the height) or
# the black sky at the top edge and the floor right down to the bottom edge.
frame_shot() { # png, window|root, x0, w, h, bands|full
    sleep 0.7
    if [ "$2" = root ]; then
        import -window root "$out/$1.png"
    else
        import -window "$window" "$out/$1.png"
    fi
    check_row_lit "$1" floor "$3" "$4" $(($5 * 13 / 16))
    if [ "$6" = bands ]; then
        # The HUD's fight sign lies over the last eighth of the top band while the hero holds its
        # stance (the demo creature comes near during the shots): it is read before it.
        check_row "$1" "top band" "$3" "$4" $(($5 / 16)) "${black% 0,0,0}" 7
        # The HUD's pyramids lie over the first eighth of the bottom band and its hand slots over the
        # last quarter: it is read between them.
        check_row "$1" "bottom band" "$3" "$4" $(($5 - 1 - $5 / 16)) "${black% 0,0,0 0,0,0 0,0,0}" 6 1
    else
        check_row "$1" "top edge" "$3" "$4" $(($5 / 48)) "$black"
        check_row_lit "$1" "bottom edge" "$3" "$4" $(($5 - 1 - $5 / 48))
    fi
    if [ "$2" = root ]; then
        check "$1 left pillar" 0,0,0 "$(colour "$out/$1.png" $(($3 / 2)) $(($5 / 2)))"
        check "$1 right pillar" 0,0,0 "$(colour "$out/$1.png" $((1280 - $3 / 2)) $(($5 / 2)))"
    else
        check "$1 size" "${4}x$5" "$(identify -format %wx%h "$out/$1.png")"
    fi
}

# kalder in its 640x480 window, then kalderdx over the 1280x720 screen (its 4:3 picture 960x720 at
# x 160): the start in cinemascope, F11, F6 then F12, F2, and Alt+X to end.
frame_scenario() {
    write_demo || return 1
    for game in kalder kalderdx; do
        if [ "$game" = kalder ]; then
            shot=window x0=0 w=640 h=480
        else
            shot=root x0=160 w=960 h=720
        fi
        (cd "$out" && exec "$top/build/release/programs/$game") >"$out/$game.out" 2>&1 &
        pid=$!
        window=$(focus_kalder)
        if [ -z "$window" ]; then
            check "$game opens its window" yes no
            kill "$pid" 2>/dev/null
            continue
        fi
        # The title first: Space leaves the intro, Return chooses "NEW GAME"; the closing beats, the
        # fade and the load follow.
        if [ "$game" = kalder ]; then wait_intro window 0 1 1; else wait_intro root 160 3 2; fi
        check "$game shows its intro" 0 "$?"
        xdotool key space
        sleep 0.7
        xdotool key Return
        sleep 2
        frame_shot "frame-$game-start" $shot $x0 $w $h bands
        xdotool key F11
        frame_shot "frame-$game-f11-640x400" $shot $x0 $w $h full
        xdotool key F6
        sleep 0.3
        xdotool key F12
        frame_shot "frame-$game-f6-f12-320x200" $shot $x0 $w $h bands
        xdotool key F2
        frame_shot "frame-$game-f2-640x480" $shot $x0 $w $h bands
        # Held for a few frames, as a hand holds a chord: the hot key wants both keys down at once.
        xdotool keydown Alt_L keydown x
        sleep 0.2
        xdotool keyup x keyup Alt_L
        status=timeout
        for _ in 1 2 3 4 5 6 7 8 9 10; do
            if ! kill -0 "$pid" 2>/dev/null; then
                wait "$pid"
                status=$?
                break
            fi
            sleep 0.5
        done
        if [ "$status" = timeout ]; then
            kill -TERM "$pid" 2>/dev/null
            wait "$pid"
        fi
        check "$game ends with status 0 on Alt+X" 0 "$status"
    done
    "$top/build/release/tools/kdev/kdev" blend "$out" >/dev/null
    check "kdev blend writes its eight pictures" 8 "$(ls "$out"/blend-565-mode?.png "$out"/blend-555-mode?.png 2>/dev/null | wc -l)"

    echo "pictures in $out: frame-*.png, blend-*.png"
    [ "$fails" -eq 0 ]
}

# The colour at (x, y) of a PNG as "r g b", 8 bits a channel, not rounded.
raw_colour() { # file x y
    convert "$1" -depth 8 -format "%[fx:int(255*p{$2,$3}.r+0.5)] %[fx:int(255*p{$2,$3}.g+0.5)] %[fx:int(255*p{$2,$3}.b+0.5)]" info:
}

# kshow prof in its window: after 2 s a screenshot, whose row 1 must open with the render timer's red
# bar and whose frame-rate cells must hold white text; then SIGTERM ends it.
prof_scenario() {
    out=$top/build/demo
    mkdir -p "$out"
    "$top/build/release/tools/kshow/kshow" prof >"$out/prof.log" 2>&1 &
    pid=$!
    window=$(focus_kalder)
    if [ -z "$window" ]; then
        check "kshow prof opens its window" yes no
        kill "$pid" 2>/dev/null
        return 1
    fi
    sleep 2
    import -window "$window" "$out/prof.png"
    check "pixel (0, 1) is red" yes "$(raw_colour "$out/prof.png" 0 1 |
        awk '{ print ($1 >= 240 && $2 <= 16 && $3 <= 16) ? "yes" : "no" }')"
    white=$(convert "$out/prof.png" -crop 50x14+51+20 +repage -depth 8 txt:- |
        awk -F'[(),]' 'NR > 1 && $2 >= 240 && $3 >= 240 && $4 >= 240 { n++ } END { print n + 0 }')
    check "the frame rate's cells (x 51..100, y 20..33) hold white pixels" yes "$([ "$white" -gt 0 ] && echo yes || echo no)"
    stop_program "$pid" "kshow prof"
    echo "last figures: $(tail -n 1 "$out/prof.log")"
    echo "picture in $out: prof.png"
    [ "$fails" -eq 0 ]
}

# kalder on the demo installation: about 1.5 s in, the title's intro (a block-transform film, as the
# opening film is) shows its picture between black bands
# (rows 0-87 and 392-479 of the client area) and its middle rows are not one colour; then SIGTERM ends it.
film_picture_scenario() {
    write_demo || return 1
    (cd "$out" && exec "$top/build/release/programs/kalder") >"$out/film-picture.out" 2>&1 &
    pid=$!
    window=$(focus_kalder)
    if [ -z "$window" ]; then
        check "kalder opens its window" yes no
        kill "$pid" 2>/dev/null
        return 1
    fi
    sleep 1.2
    import -window "$window" "$out/film-picture.png"
    brightest() { convert "$out/film-picture.png" -crop "$1" +repage -format "%[fx:int(255*maxima)]" info:; }
    check "rows 0-87 are black" 0 "$(brightest 640x88+0+0)"
    check "rows 392-479 are black" 0 "$(brightest 640x88+0+392)"
    spread=$(convert "$out/film-picture.png" -crop 640x304+0+88 +repage -format "%[fx:int(1000*standard_deviation)]" info:)
    check "the picture rows are not one colour" yes "$([ "$spread" -gt 0 ] && echo yes || echo no)"
    stop_program "$pid" kalder
    echo "picture in $out: film-picture.png"
    [ "$fails" -eq 0 ]
}

# The hue of a screenshot's pixel: gold (red well above blue), crimson, grey (the channels close
# together), black, or other.
hue() { # file x y
    raw_colour "$1" "$2" "$3" | awk '{
        r = $1; g = $2; b = $3
        if (r < 24 && g < 24 && b < 24) { print "black" }
        else if (r - b > 80 && g - b > 40) { print "gold" }
        else if (r > 150 && g < 80 && b < 110) { print "crimson" }
        else if (r - b < 24 && b - r < 24 && r - g < 24 && g - r < 24) { print "grey" }
        else { print "other" }
    }'
}

# Waits up to 5 s until the intro shows its gold band at (120, 240) and its crimson band at (450, 240)
# of the game's picture (both cover those points for the intro's first 2.7 s), so that the keys that
# follow reach a title that reads them: a key pressed while the program still starts up (and shows
# the opening film's first picture) may be lost. False when the bands never showed.
wait_intro() { # window|root, x0, scale num, scale den
    for _ in $(seq 25); do
        if [ "$1" = root ]; then
            import -window root "$out/intro-wait.png"
        else
            import -window "$window" "$out/intro-wait.png"
        fi
        if [ "$(hue "$out/intro-wait.png" $(($2 + 120 * $3 / $4)) $((240 * $3 / $4)))" = gold ] &&
            [ "$(hue "$out/intro-wait.png" $(($2 + 450 * $3 / $4)) $((240 * $3 / $4)))" = crimson ]; then
            rm -f "$out/intro-wait.png"
            return 0
        fi
        sleep 0.2
    done
    rm -f "$out/intro-wait.png"
    return 1
}

# The menu's four cells at their centres in the window (item 0 top left, 1 top right, 2 bottom left,
# 3 bottom right): the lit one gold, the others grey.
check_lit_cell() { # png, lit item, x0, y0, scale num, scale den
    i=0
    for centre in "82 117" "146 117" "82 181" "146 181"; do
        x=${centre% *}
        y=${centre#* }
        sx=$(($3 + x * $5 / $6))
        sy=$(($4 + y * $5 / $6))
        if [ "$i" -eq "$2" ]; then expected=gold; else expected=grey; fi
        check "$1 cell $i at ($sx, $sy)" "$expected" "$(hue "$out/$1.png" "$sx" "$sy")"
        i=$((i + 1))
    done
}

# Waits up to 3 s for a program to end; sets status to its exit status, or to "timeout" after ending it.
wait_end() { # pid
    for _ in 1 2 3 4 5 6 7 8 9 10 11 12; do
        if ! kill -0 "$1" 2>/dev/null; then
            wait "$1"
            status=$?
            return
        fi
        sleep 0.25
    done
    kill -TERM "$1" 2>/dev/null
    wait "$1"
    status=timeout
}

# The demo installation in build/demo, where the game scenarios run and leave their pictures ($out).
write_demo() {
    out=$top/build/demo
    mkdir -p "$out"
    "$top/build/release/tools/mkdemo/mkdemo" "$out" >/dev/null
}

# Starts a game program in the demo installation and gives its window the focus; false without one.
start_game() { # program, log
    (cd "$out" && exec "$top/build/release/programs/$1") >"$out/$2" 2>&1 &
    pid=$!
    window=$(focus_kalder)
    if [ -z "$window" ]; then
        check "$1 opens its window" yes no
        kill "$pid" 2>/dev/null
        return 1
    fi
}

# kalder on the demo installation: the intro's bands, the menu's ring under the arrow keys, "NEW GAME"
# into the level, Alt+X; a second run quits from the ring with Escape; kalderdx shows the menu scaled
# over the whole screen and quits with Escape.
title_scenario() {
    write_demo || return 1

    start_game kalder title-kalder.out || return 1
    wait_intro window 0 1 1
    check "kalder shows its intro" 0 "$?"
    import -window "$window" "$out/title-intro.png"
    # The intro's gold band covers x 3n..3n+159 of rows 128..351 at its frame n.
    check "title-intro gold band at (120, 240)" gold "$(hue "$out/title-intro.png" 120 240)"
    xdotool key space
    sleep 0.7
    import -window "$window" "$out/title-menu-new-game.png"
    check_lit_cell title-menu-new-game 0 0 0 1 1
    for step in "Right 1 load" "Right 3 quit" "Left 1 load-again" "Left 0 new-game-again"; do
        set -- $step
        xdotool key "$1"
        sleep 0.4
        import -window "$window" "$out/title-menu-$3.png"
        check_lit_cell "title-menu-$3" "$2" 0 0 1 1
    done
    label() { convert "$out/title-menu-$1.png" -crop 200x36+50+360 +repage "$out/title-label-$1.png"; }
    label new-game
    label load
    differs=$(compare -metric AE "$out/title-label-new-game.png" "$out/title-label-load.png" null: 2>&1)
    check "the label box differs between NEW GAME and LOAD A GAME" yes "$([ "${differs%% *}" != 0 ] && echo yes || echo no)"
    rm -f "$out"/title-label-*.png
    xdotool key Return
    sleep 3
    import -window "$window" "$out/title-new-game-level.png"
    check "title-new-game-level: no cell at (82, 117)" black "$(hue "$out/title-new-game-level.png" 82 117)"
    check "title-new-game-level: no cell at (146, 181)" black "$(hue "$out/title-new-game-level.png" 146 181)"
    xdotool keydown Alt_L keydown x
    sleep 0.2
    xdotool keyup x keyup Alt_L
    wait_end "$pid"
    check "kalder ends with status 0 on Alt+X" 0 "$status"

    start_game kalder title-kalder-quit.out || return 1
    wait_intro window 0 1 1
    xdotool key space
    sleep 0.7
    xdotool key Escape
    wait_end "$pid"
    check "kalder ends with status 0 on Escape in the menu" 0 "$status"

    start_game kalderdx title-kalderdx.out || return 1
    wait_intro root 160 3 2
    check "kalderdx shows its intro" 0 "$?"
    xdotool key space
    sleep 0.7
    import -window root "$out/title-menu-kalderdx.png"
    # 640x480 at 4:3 on 1280x720: scaled 3/2 from x 160.
    check_lit_cell title-menu-kalderdx 0 160 0 3 2
    xdotool key Escape
    wait_end "$pid"
    check "kalderdx ends with status 0 on Escape in the menu" 0 "$status"

    echo "pictures in $out: title-*.png"
    [ "$fails" -eq 0 ]
}

# Pixels that differ between two screenshots.
shot_difference() { # png a, png b
    compare -metric AE "$1" "$2" null: 2>&1 | sed 's/ .*//'
}

# kalder on the demo installation played by real keys: the title left with Space then Return on
# "NEW GAME", then the hero at rest (the level's own motion I between two shots), jumped with Ctrl,
# walked with Up and turned with Left, each shot compared with the one before; Alt+X ends it.
moves_scenario() {
    write_demo || return 1

    start_game kalder moves-kalder.out || return 1
    wait_intro window 0 1 1
    xdotool key space
    sleep 0.7
    xdotool key Return
    # The level is on screen once the frame is no longer black (at most 5 s).
    lit=no
    for _ in $(seq 1 50); do
        import -window "$window" "$out/moves-wait.png"
        if [ "$(convert "$out/moves-wait.png" -format "%[fx:int(255*maxima)]" info:)" -gt 16 ]; then
            lit=yes
            break
        fi
        sleep 0.1
    done
    rm -f "$out/moves-wait.png"
    check "the level is on screen" yes "$lit"
    # The trigger's crate appears near the camera 3 s after the load: the rest is measured after it.
    sleep 3
    import -window "$window" "$out/moves-rest-a.png"
    sleep 0.3
    import -window "$window" "$out/moves-rest-b.png"
    idle=$(shot_difference "$out/moves-rest-a.png" "$out/moves-rest-b.png")
    echo "      idle motion I = $idle pixels"

    # The jump comes first, while the demo's creature is still far: once it comes near the hero takes
    # its fight stance by itself, and Ctrl no longer jumps.
    xdotool keydown Control_L
    sleep 0.1
    xdotool keyup Control_L
    sleep 0.15
    import -window "$window" "$out/moves-jump.png"
    sleep 1.5
    import -window "$window" "$out/moves-landed.png"
    jump=$(shot_difference "$out/moves-rest-b.png" "$out/moves-jump.png")
    landed=$(shot_difference "$out/moves-jump.png" "$out/moves-landed.png")
    check "moves-jump differs from moves-rest-b by more than I ($jump)" yes \
        "$([ "$jump" -gt "$idle" ] && echo yes || echo no)"
    check "moves-landed differs from moves-jump by more than I ($landed)" yes \
        "$([ "$landed" -gt "$idle" ] && echo yes || echo no)"

    xdotool keydown Up
    sleep 2
    xdotool keyup Up
    sleep 1
    import -window "$window" "$out/moves-walked.png"
    walked=$(shot_difference "$out/moves-landed.png" "$out/moves-walked.png")
    # The demo level never rests: its texture film, the turning crystal and the creature make I large
    # (about 27000 pixels), so a move is checked against a multiple of it that a first run measured.
    check "moves-walked differs from moves-landed by more than 10000 and 3 x I ($walked)" yes \
        "$([ "$walked" -gt 10000 ] && [ "$walked" -gt $((3 * idle)) ] && echo yes || echo no)"

    xdotool keydown Left
    sleep 1
    xdotool keyup Left
    sleep 0.5
    import -window "$window" "$out/moves-turned.png"
    turned=$(shot_difference "$out/moves-walked.png" "$out/moves-turned.png")
    check "moves-turned differs from moves-walked by more than 10000 ($turned)" yes \
        "$([ "$turned" -gt 10000 ] && echo yes || echo no)"

    # Every shot shows the floor's checker across a row near the bottom of the 3D view.
    for shot in rest-a rest-b jump landed walked turned; do
        check_row_lit "moves-$shot" floor 0 640 $((480 * 13 / 16))
    done

    xdotool keydown Alt_L keydown x
    sleep 0.2
    xdotool keyup x keyup Alt_L
    wait_end "$pid"
    check "kalder ends with status 0 on Alt+X" 0 "$status"
    echo "pictures in $out: moves-*.png"
    [ "$fails" -eq 0 ]
}

# These scenarios start their own X server: the script runs again inside one.
case "$program" in
moves | title | film-picture | prof | frame | display)
    if [ -z "${KALDER_IN_XVFB:-}" ]; then
        KALDER_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x720x24" "$0" "$@"
    fi
    "$(echo "$program" | tr - _)_scenario"
    exit
    ;;
esac
demo=$top/build/demo

# Starts a kshow subcommand with its output in $out, waits for its window and gives it the focus.
start_kshow() { # subcommand
    out=$(mktemp)
    "$top/build/release/tools/kshow/kshow" "$1" >"$out" 2>&1 &
    pid=$!
    window=$(focus_kalder)
    if [ -z "$window" ]; then
        echo "no window titled Kalder"
        kill "$pid" 2>/dev/null
        exit 1
    fi
    sleep 0.5
}

if [ "$program" = controls ]; then
    start_kshow controls
    for step in "keydown Up" "sleep 0.1" "keyup Up" "sleep 0.2" "keydown Left" "sleep 1" "keyup Left" \
        "sleep 0.2" "keydown space" "sleep 0.1" "keyup space" "keydown Escape" "sleep 0.1" "keyup Escape"; do
        case "$step" in
        sleep*) $step ;;
        *) xdotool $step ;;
        esac
    done
    sleep 0.3
    python3 "$top/tools/xclose.py" "$(printf '%d' "$window")"
    wait "$pid"
    status=$?
    sed 's/^/    /' "$out"
    check "Up pressed" 1 "$(grep -c '^up 0x05$' "$out")"
    check "Up released" 1 "$(grep -c '^up 0x06$' "$out")"
    check "Left pressed, then repeated at least twice" yes "$([ "$(grep -c '^left 0x05$' "$out")" -ge 3 ] && echo yes || echo no)"
    check "Left released" 1 "$(grep -c '^left 0x06$' "$out")"
    check "Space pressed" 1 "$(grep -c '^k1 0x05$' "$out")"
    check "Escape pressed" 1 "$(grep -c '^k2 0x05$' "$out")"
    check "a time factor printed" yes "$(grep -q '^factor ' "$out" && echo yes || echo no)"
    check "kshow controls ends with status 0" 0 "$status"
    rm -f "$out"
    [ "$fails" -eq 0 ]
    exit
fi
if [ "$program" = input ]; then
    start_kshow echo
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
