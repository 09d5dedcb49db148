#!/bin/sh
# Plays kshow's sound script (sound), the demo disc's music track 2 and playlist (cd), or kalder's
# start-up with the demo's opening film (film) on the demo installation through SDL's disk audio driver
# (no X server, no sound card), turns the raw output into a WAVE file and a spectrogram, and checks it
# with sox.
#
#   tools/audio-demo.sh sound|cd [kshow mkdemo folder]  (`make demo-sound`, `make demo-cd`; defaults:
#                                                        build/release, build/demo)
#   tools/audio-demo.sh film [kalder mkdemo folder]     (`make demo-film`)
#
# Leaves <folder>/<what>.wav (listen to it) and <folder>/<what>.png. Prints one line per check and
# exits non-zero when any check failed.
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
what=${1:-}
[ "$what" = sound ] || [ "$what" = cd ] || [ "$what" = film ] ||
    { echo "usage: $0 sound|cd [kshow mkdemo folder] | film [kalder mkdemo folder]" >&2; exit 2; }
if [ "$what" = film ]; then
    kshow=${2:-$top/build/release/programs/kalder}
else
    kshow=${2:-$top/build/release/tools/kshow/kshow}
fi
mkdemo=${3:-$top/build/release/tools/mkdemo/mkdemo}
folder=${4:-$top/build/demo}
absolute() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }
kshow=$(absolute "$kshow")
mkdir -p "$folder"
folder=$(cd "$folder" && pwd)
command -v sox >/dev/null 2>&1 || "$top/tools/install-deps.sh" || exit 1

fails=0
# within what value expected tolerance: the value lies in expected +- tolerance.
within() {
    if awk -v v="$2" -v e="$3" -v t="$4" 'BEGIN { exit !(v >= e - t && v <= e + t) }'; then
        echo "ok    $1: $2"
    else
        echo "FAIL  $1: expected $3 +- $4, got $2"
        fails=$((fails + 1))
    fi
}

# Expects a line of kshow's output.
has_line() {
    if echo "$log" | grep -qx "$1"; then
        echo "ok    line \"$1\""
    else
        echo "FAIL  no line \"$1\""
        fails=$((fails + 1))
    fi
}

if [ "$what" = film ]; then
    # kalder in a fresh installation for 7 s, ended as a session ends it; the title's intro tone is the
    # only sound of those seconds (the menu after it is silent). The second after 6 s leaves room for a
    # slow start-up of a sanitized build on a busy machine.
    kalder=$kshow
    raw="$folder/film.raw"
    rm -f "$raw"
    demo=$(mktemp -d)
    "$mkdemo" "$demo" >/dev/null || { rm -rf "$demo"; exit 1; }
    (cd "$demo" && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$raw" exec "$kalder" >/dev/null 2>&1) &
    pid=$!
    sleep 7
    kill -TERM "$pid"
    wait "$pid"
    status=$?
    rm -rf "$demo"
    [ $status -eq 0 ] || { echo "FAIL  kalder ended with status $status"; exit 1; }
    [ -s "$raw" ] || { echo "FAIL  kalder wrote no sound"; exit 1; }
    sox -t raw -r 22050 -e signed -b 16 -c 2 -L "$raw" "$folder/film.wav" || exit 1
    sox "$folder/film.wav" -n spectrogram -o "$folder/film.png" || exit 1
    # The tone: from the first sample that is not silence to the last.
    span=$(od -An -v -t d2 -w4 "$raw" | awk '$1 != 0 || $2 != 0 { if (first == "") first = NR - 1; last = NR - 1 }
        END { if (first != "") printf "%.5f %.5f %.5f\n", first / 22050, last / 22050, NR / 22050 }')
    [ -n "$span" ] || { echo "FAIL  the output is silent"; exit 1; }
    first=${span%% *}
    last=$(echo "$span" | cut -d' ' -f2)
    total=${span##* }
    fstat() { # statistic start length
        sox "$folder/film.wav" -n trim "$2" "$3" remix 1 stat 2>&1 | awk -F: -v s="$1" '$1 ~ s { gsub(/ /, "", $2); print $2 }'
    }
    plus() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.5f\n", a + b }'; }
    within "the tone's length in s" "$(awk -v a="$first" -v b="$last" 'BEGIN { printf "%.3f\n", b - a }')" 3.0 0.4
    within "the tone in Hz at its start" "$(fstat 'Rough' "$(plus "$first" 0.1)" 1)" 440 22
    within "the tone in Hz at its end" "$(fstat 'Rough' "$(plus "$last" -1.1)" 1)" 440 22
    within "the tone's peak (a quarter of full scale)" "$(fstat 'Maximum amplitude' "$(plus "$first" 0.1)" 2)" 0.25 0.02
    after=$(awk -v a="$total" -v b="$last" 'BEGIN { printf "%.5f\n", a - b - 0.01 }')
    if awk -v a="$after" 'BEGIN { exit !(a >= 1.0) }'; then
        within "silence after the tone" "$(fstat 'Maximum amplitude' "$(plus "$last" 0.01)" "$after")" 0 0
    else
        echo "FAIL  silence after the tone: expected at least 1 s of output after it, got $after s"
        fails=$((fails + 1))
    fi
    echo "wrote $folder/film.wav and $folder/film.png"
    [ $fails -eq 0 ]
    exit
fi
"$mkdemo" "$folder" >/dev/null || exit 1
if [ "$what" = cd ]; then
    raw="$folder/cd.raw"
    rm -f "$raw"
    log=$(cd "$folder" && SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$raw" "$kshow" cd 2 2>/dev/null)
    status=$?
    echo "$log"
    [ $status -eq 0 ] || { echo "FAIL  kshow cd 2 ended with status $status"; exit 1; }
    for line in "tracks 3" "play 2" "mode 2" "mode 4"; do has_line "$line"; done
    sox -t raw -r 22050 -e signed -b 16 -c 2 -L "$raw" "$folder/cd.wav" || exit 1
    sox "$folder/cd.wav" -n spectrogram -o "$folder/cd.png" || exit 1
    # The track starts at the first value that is not silence.
    first=$(od -An -v -t d2 -w4 "$raw" | awk '$1 != 0 || $2 != 0 { printf "%.5f\n", (NR - 1) / 22050; exit }')
    [ -n "$first" ] || { echo "FAIL  the output is silent"; exit 1; }
    cstat() { # statistic start length
        sox "$folder/cd.wav" -n trim "$2" "$3" remix 1 stat 2>&1 | awk -F: -v s="$1" '$1 ~ s { gsub(/ /, "", $2); print $2 }'
    }
    at() { awk -v a="$first" -v b="$1" 'BEGIN { printf "%.5f\n", a + b }'; }
    within "the track's peak (half scale)" "$(cstat 'Maximum amplitude' "$first" 2)" 0.50 0.03
    i=0
    for hz in 440 554 659 880; do
        within "note $((i + 1)) in Hz" "$(cstat 'Rough' "$(at "$(awk -v i=$i 'BEGIN { print i * 0.5 + 0.05 }')")" 0.4)" $hz "$(awk -v h=$hz 'BEGIN { print h * 0.05 }')"
        i=$((i + 1))
    done
    within "silence after the track" "$(cstat 'Maximum amplitude' "$(at 2.01)" 0.1)" 0 0
    log=$(cd "$folder" && SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$folder/cd-playlist.raw" "$kshow" cd --playlist 0x0302 --seconds 8 2>/dev/null)
    echo "$log"
    plays=$(echo "$log" | grep '^play ' | head -3 | tr '\n' ' ')
    if [ "$plays" = "play 2 play 3 play 2 " ]; then
        echo "ok    playlist: $plays"
    else
        echo "FAIL  playlist: expected play 2 play 3 play 2, got $plays"
        fails=$((fails + 1))
    fi
    echo "wrote $folder/cd.wav and $folder/cd.png"
    [ $fails -eq 0 ]
    exit
fi
raw="$folder/sound.raw"
rm -f "$raw"
log=$(cd "$folder" && SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$raw" "$kshow" sound 2>/dev/null)
status=$?
echo "$log"
if [ $status -ne 0 ] || ! echo "$log" | grep -q "^sound is on"; then
    echo "FAIL  kshow sound ended with status $status without sound"
    exit 1
fi
at() { echo "$log" | awk -v s="$1" '$1 == "mark" && $2 == s { print $3 }'; }
# A statistic of the output over [start, start + length) seconds.
stat() { # statistic start length
    sox "$folder/sound.wav" -n trim "$2" "$3" remix 1 stat 2>&1 | awk -F: -v s="$1" '$1 ~ s { gsub(/ /, "", $2); print $2 }'
}

sox -t raw -r 22050 -e signed -b 16 -c 2 -L "$raw" "$folder/sound.wav" || exit 1
sox "$folder/sound.wav" -n spectrogram -o "$folder/sound.png" || exit 1

# Each effect lasts 0.2 s and the next starts 0.5 s later; the windows allow for the driver's latency.
first=$(awk -v t="$(at effect-0)" 'BEGIN { print t - 0.1 }')
quiet=$(awk -v t="$(at effect-0-master-64)" 'BEGIN { print t - 0.1 }')
stream=$(awk -v t="$(at stream)" 'BEGIN { print t + 0.2 }')
end=$(awk -v t="$(at end)" 'BEGIN { print t - 0.4 }')
within "first effect's peak (half scale at -10)" "$(stat 'Maximum amplitude' "$first" 0.4)" 0.494 0.005
within "effect 0 at master 64 (-1754)" "$(stat 'Maximum amplitude' "$quiet" 0.4)" 0.066 0.003
within "stream's frequency in Hz" "$(stat 'Rough' "$stream" 1.5)" 1000 50
within "the end is silent" "$(stat 'Maximum amplitude' "$end" 0.3)" 0 0
echo "wrote $folder/sound.wav and $folder/sound.png"
[ $fails -eq 0 ]
