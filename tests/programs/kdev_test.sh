#!/bin/sh
# kdev as a person uses it (kdev_test.sh <kdev> <mkdemo>): a pack whose stored names are not upper
# case is listed whole, pictures go into a folder that did not exist yet, a project folder whose
# name holds ';' loads, the demo installation's Project0 loads with the golden picture, the demo's
# film plays into frame pictures, and a game saved while playing is listed and loads again. A third
# argument runs one part alone (files, render, level or play), so that ctest runs them side by side.
set -u
kdev=$1
mkdemo=$2
part=${3:-all}
want() {
    [ "$part" = all ] || [ "$part" = "$1" ]
}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fails=0
fail() {
    echo "FAIL: $1"
    fails=$((fails + 1))
}

if want files; then
mkdir -p "$dir/disc"
printf 'first' >"$dir/a"
printf 'second!' >"$dir/b"
"$kdev" mkpack --as-given "$dir/disc/mixed.bf" 'data\lower.bin='"$dir/a" 'DATA\UPPER.BIN='"$dir/b" || fail "mkpack"
out=$(KALDER_DRIVES="D=$dir/disc" "$kdev" pack 'D:\MIXED.BF' 2>&1) || fail "kdev pack ended with $?: $out"
[ "$(echo "$out" | grep -ci 'BIN ')" = 2 ] || fail "kdev pack listed: $out"
echo "$out" | grep -q '^data\\lower.bin ' || fail "the lower-case name is missing: $out"
fi

if want render; then
"$kdev" render "$dir/new/deeper" >/dev/null 2>&1 || fail "kdev render into a missing folder"
[ "$(ls "$dir/new/deeper" | grep -c '\.png$')" -gt 0 ] || fail "kdev render wrote no picture"
fi

if want files; then
"$kdev" anim "$dir/anim" >/dev/null 2>&1 || fail "kdev anim"
[ "$(ls "$dir/anim" | grep -c '^anim-.*\.png$')" = 37 ] || fail "kdev anim wrote $(ls "$dir/anim" | wc -l) pictures, not 37"
"$kdev" camera "$dir/camera" >/dev/null 2>&1 || fail "kdev camera"
for shot in follow corner close overhead fixed shot return; do
    [ -s "$dir/camera/camera-$shot.png" ] || fail "kdev camera wrote no $shot picture"
done

"$mkdemo" "$dir/demo" >/dev/null || fail "mkdemo"
# The opening film from inside the installation, its drive found as the game finds it: one picture a
# frame into a new folder; a film that is not there is named and ends with 1.
out=$(cd "$dir/demo" && "$kdev" film 'data\hnm\demo.hnm' frames/small --size 320x200 2>&1) || fail "kdev film ended with $?"
echo "$out" | tail -n 1 | grep -q '^46 frames$' || fail "kdev film did not count 46 frames: $(echo "$out" | tail -n 1)"
[ "$(ls "$dir/demo/frames/small" | grep -c '^frame-00[0-4][0-9]\.png$')" = 46 ] || fail "kdev film did not write 46 pictures"
# The way's hi-colour film: its small-screen frames, each picture as decoded, and each picture whole.
out=$(cd "$dir/demo" && "$kdev" film 'data\hnm\demo2.mib' frames/iv --size 320x200 --picture 2>&1) ||
    fail "kdev film on the hi-colour film ended with $?"
echo "$out" | tail -n 1 | grep -q '^30 frames$' || fail "kdev film did not count 30 frames: $(echo "$out" | tail -n 1)"
[ "$(echo "$out" | grep -c 'HNM_DecodeIVFrame [0-9]* bytes: [0-9]* bands, whole$')" = 30 ] ||
    fail "kdev film did not print 30 whole pictures: $out"
[ "$(ls "$dir/demo/frames/iv" | grep -c '^frame-00[0-3][0-9]\.png$')" = 30 ] || fail "kdev film did not write 30 frames"
[ "$(ls "$dir/demo/frames/iv" | grep -c '^picture-00[0-3][0-9]\.png$')" = 30 ] || fail "kdev film did not write 30 pictures"
out=$(cd "$dir/demo" && "$kdev" film 'data\hnm\none.hnm' 2>&1)
[ "$?" = 1 ] && printf '%s\n' "$out" | grep -q '^kdev: data\\hnm\\none.hnm: not found (tried ' || fail "kdev film on a missing film: $out"
out=$(KALDER_DRIVES="C=$dir/demo/drives/C;D=$dir/demo/drives/D" "$kdev" icons 'data\icone\icones.bf' "$dir/icons/sheets" 2>&1) ||
    fail "kdev icons ended with $?: $out"
[ "$(ls "$dir/icons/sheets" | grep -c '^icons-.*\.png$')" = 5 ] || fail "kdev icons wrote $(ls "$dir/icons/sheets")"
echo "$out" | grep -q '^0 pyrambo 64x84' || fail "kdev icons did not name the gauge frame: $out"
"$kdev" hud "$dir/hud/new" >/dev/null 2>&1 || fail "kdev hud into a missing folder"
[ "$(ls "$dir/hud/new" | grep -c '^hud-.*\.png$')" = 11 ] || fail "kdev hud wrote $(ls "$dir/hud/new")"
[ "$(ls "$dir/hud/new" | grep -c '^ico-.*\.png$')" = 3 ] || fail "kdev hud wrote $(ls "$dir/hud/new")"
# The sage's symbol file: its ten steps, the first said with three words, the last a key with the end
# id; a file that is not there is named and ends with 1.
out=$(cd "$dir/demo" && "$kdev" sym 'D:\data\sym\sage.sym' 2>&1) || fail "kdev sym ended with $?: $out"
echo "$out" | grep -q '^    0      0     46 said  4:Who 5:Where 7:Help$' || fail "kdev sym did not print step 0: $out"
echo "$out" | grep -qF '"Greetings, traveller. What do you seek?"' || fail "kdev sym did not print the greeting: $out"
echo "$out" | grep -q '^    9 .* key  1:End$' || fail "kdev sym did not print the last key: $out"
echo "$out" | tail -n 1 | grep -q 'the walk stops after 10 steps$' || fail "kdev sym did not end after 10 steps: $out"
out=$(cd "$dir/demo" && "$kdev" sym nothere.sym 2>&1)
[ "$?" = 1 ] && [ "$out" = 'cannot read nothere.sym' ] || fail "kdev sym on a missing file: $out"
mv "$dir/demo/drives/D" "$dir/semi;colon"
out=$("$kdev" prj "$dir/semi;colon" 2>&1) || fail "kdev prj ended with $?"
echo "$out" | grep -q 'Project0' || fail "kdev prj did not list Project0: $out"
echo "$out" | grep -q 'ignoring' && fail "kdev prj read the folder as a drive map: $out"

# A container's blocks, each listed with its own unpacked size, the two animations whose names share
# their first 8 characters too; a model block over the buffer's size gives the game's line on standard
# error.
mkdir "$dir/scene"
"$kdev" mkscene "$dir/scene" >/dev/null 2>&1 || fail "kdev mkscene"
out=$(KALDER_DRIVES="D=$dir/scene" "$kdev" dan 'D:\CHAR.DAN' 2>&1) || fail "kdev dan ended with $?: $out"
sizes=$(echo "$out" | sed -n 's/^block type 3 packed [0-9]* unpacked \([1-9][0-9]*\)$/\1/p' | sort -u | wc -l)
[ "$sizes" = 2 ] || fail "kdev dan did not list the two animations' own sizes: $out"
python3 - "$dir/scene/CHAR.DAN" "$dir/scene/BIG.DAN" <<'EOF'
import struct, sys
data = bytearray(open(sys.argv[1], "rb").read())
model = 9 + struct.unpack_from("<i", data, 10)[0]
struct.pack_into("<i", data, model + 1, 5 + 614401)
open(sys.argv[2], "wb").write(data)
EOF
err=$(KALDER_DRIVES="D=$dir/scene" "$kdev" dan 'D:\BIG.DAN' 2>&1 >/dev/null) || fail "kdev dan on an over-size model ended with $?"
[ "$err" = "Debordement dans DAN_Load3DC" ] || fail "kdev dan on an over-size model wrote: $err"

fi

if want level || want play; then
    "$mkdemo" "$dir/level" >/dev/null || fail "mkdemo"
fi

if want level; then
golden=$(dirname "$0")/../golden/demo-project0.png
out=$("$kdev" level "$dir/level" --png "$dir/level.png" 2>&1) || fail "kdev level ended with $?: $out"
# The hero is a character: its node name is upper-cased when its textures are bound.
for node in XH_ sc1 box; do
    echo "$out" | grep -q "^[0-9]* *$node " || fail "kdev level did not list $node: $out"
done
cmp -s "$dir/level.png" "$golden" || fail "kdev level's picture is not the golden demo-project0"

# The demo's zones: the six of Project0, gravity and the current's two fields, and from the hero's start
# the spawn point as a candidate; another project by name, and a name that is none.
out=$("$kdev" zones "$dir/level" 2>&1) || fail "kdev zones ended with $?: $out"
for zone in "SPAWN        spawner" "CURRENT      path" "CAMERA       camera" "DRAIN        drain" "ARRIVAL      arrival"; do
    echo "$out" | grep -qF "$zone" || fail "kdev zones did not list '$zone': $out"
done
for line in "0     0    1   0.000 9.810 0.000" "1     1    1   40.000 0.000 0.000" "2     1    1   0.000 0.000 40.000" \
    'spawn candidate zone 1 "SPAWN" point 0'; do
    echo "$out" | grep -qF "$line" || fail "kdev zones did not print '$line': $out"
done
out=$("$kdev" zones "$dir/level" --project Project1 2>&1) || fail "kdev zones --project ended with $?: $out"
echo "$out" | grep -q "^project Project1" || fail "kdev zones did not load Project1: $out"
"$kdev" zones "$dir/level" --project NoSuchProject >/dev/null 2>&1 && fail "kdev zones took an unknown project"

fi

if want play; then
# The program played headless: the hero put into Project0's exit before frame 60 reaches Project1
# after 15 frames of fade and the 30 frames of the way's film, and the 40th frame is the golden of the
# end-to-end run.
out=$("$kdev" play "$dir/level" --frames 120 --place 1400,140,0@60 --png "$dir/play.png" 2>&1) ||
    fail "kdev play ended with $?: $out"
for line in "round 60: fade 15.00" "round 75: film ends after 30 frames" "round 75: Project1 current" "round 76: Project1 loaded, hero at (-600.0, 140.0, 0.0)" \
    "round 120: quit"; do
    echo "$out" | grep -qF "$line" || fail "kdev play did not print '$line': $out"
done
[ -s "$dir/play.png" ] || fail "kdev play wrote no picture"
"$kdev" play "$dir/level" --frames 40 --png "$dir/play40.png" >/dev/null 2>&1 || fail "kdev play --frames 40"
cmp -s "$dir/play40.png" "$(dirname "$0")/../golden/demo-run-frame40.png" ||
    fail "kdev play's 40th frame is not the golden demo-run-frame40"
"$kdev" play "$dir/level" --place 1,2@3 >/dev/null 2>&1 && fail "kdev play took a place without z"

# The save games. The demo's slot is listed with its game. A game saved in Project0 before round 40
# and loaded in Project1 before round 100 brings Project0 back on that round; the slot list then holds
# it after the demo's, and the two thumbnails go into a folder that did not exist yet.
out=$("$kdev" saves "$dir/level" 2>&1) || fail "kdev saves ended with $?: $out"
for line in 'slot 0 "Demo items" locked stamp 1 file 0' 'slot 1 "" unlocked stamp 0 file -1' 'slot 0 "Demo items":' \
    '    project Project0, life 100.00, gauge 100.00, ring cursor 0' \
    '    item  3 object01        count 1 level 1 (selected)' '    quick slots 0 1 -1, hand slots (0, 0) (0, 1) (-1, -1)'; do
    echo "$out" | grep -qxF "$line" || fail "kdev saves did not print '$line': $out"
done
out=$("$kdev" play "$dir/level" --frames 120 --place 1400,140,0@60 --save Run@40 --load Run@100 2>&1) ||
    fail "kdev play with a save and a load ended with $?: $out"
for line in 'round 40: save "Run": game 0, table 0, thumbnail 0' "round 76: Project1 loaded, hero at (-600.0, 140.0, 0.0)" \
    'round 100: load "Run": 0' "round 100: Project0 current" "round 100: Project0 loaded, hero at (-600.0, 140.0, 0.0)" \
    "round 120: quit"; do
    echo "$out" | grep -qxF "$line" || fail "kdev play --save/--load did not print '$line': $out"
done
out=$("$kdev" saves "$dir/level" --png "$dir/saves/new" 2>&1) || fail "kdev saves --png ended with $?: $out"
for line in 'slot 0 "Demo items" locked stamp 1 file 0' 'slot 1 "Run" unlocked stamp 2 file 1' 'slot 1 "Run":' \
    "    thumbnail $dir/saves/new/slot0.png" "    thumbnail $dir/saves/new/slot1.png"; do
    echo "$out" | grep -qxF "$line" || fail "kdev saves did not print '$line': $out"
done
game=$(echo "$out" | sed -n '/^slot 1 "Run":$/,$p')
for line in '    project Project0, life 100.00, gauge 100.00, ring cursor 0' '    ring: "" "" "" "" "" "" "" ""' \
    '    quick slots -1 -1 -1, hand slots (-1, -1) (-1, -1) (-1, -1)'; do
    echo "$game" | grep -qxF "$line" || fail "kdev saves did not print '$line' for the saved game: $out"
done
cmp -s "$dir/saves/new/slot0.png" "$(dirname "$0")/../golden/save-thumbnail-demo.png" ||
    fail "the demo slot's thumbnail is not the golden save-thumbnail-demo"
cmp -s "$dir/saves/new/slot1.png" "$(dirname "$0")/../golden/save-thumbnail-run-round40.png" ||
    fail "the thumbnail saved at round 40 is not the golden save-thumbnail-run-round40"

# The creature AI on the demo: Project0's creature grouped alone in camp 1 and thinking from the first
# frame; another project by name (Project1 has no creature), and a name that is none.
out=$("$kdev" ai "$dir/level" --frames 3 2>&1) || fail "kdev ai ended with $?: $out"
for line in 'camp 1: s5 "CREA"' "round 1: Project0 loaded" "f=0002 s5 " "3 frames, quit"; do
    echo "$out" | grep -qF "$line" || fail "kdev ai did not print '$line': $out"
done
out=$("$kdev" ai "$dir/level" --project Project1 --frames 3 2>&1) || fail "kdev ai --project ended with $?: $out"
for line in "round 1: Project1 loaded" "camp 1: none"; do
    echo "$out" | grep -qF "$line" || fail "kdev ai --project did not print '$line': $out"
done
echo "$out" | grep -q "Project0 loaded" && fail "kdev ai --project Project1 loaded Project0: $out"
out=$("$kdev" ai "$dir/level" --project NoSuchProject --frames 3 2>&1)
[ "$?" = 1 ] && echo "$out" | grep -qF "kdev ai: no project NoSuchProject" || fail "kdev ai took an unknown project: $out"
"$kdev" ai "$dir/level" --seed 2x >/dev/null 2>&1 && fail "kdev ai took a seed that is no number"

# The effects on Project1: its three mana spheres present and its six beetles listed after a ring
# burst, the ring's cursors printed tick by tick and the last frame written; an unknown project is
# named under the subcommand and ends with 1.
out=$("$kdev" fx "$dir/level" --project Project1 --ticks 30 --burst --png "$dir/fx.png" 2>&1) ||
    fail "kdev fx ended with $?: $out"
[ "$(echo "$out" | grep -c '^sphere  *[0-2] at .* present$')" = 3 ] || fail "kdev fx did not list 3 present spheres: $out"
[ "$(echo "$out" | grep -c '^element  *[0-5] at ')" = 6 ] || fail "kdev fx did not list 6 beetles: $out"
[ "$(echo "$out" | grep -c '^vent  *[01] at ')" = 2 ] || fail "kdev fx did not list 2 vents: $out"
echo "$out" | grep -q '^tick [0-9]*: particles 0\.\.32 live 32, ' || fail "kdev fx did not show the burst's 32 particles: $out"
echo "$out" | grep -qF "picture $dir/fx.png" || fail "kdev fx did not name its picture: $out"
[ "$(head -c 4 "$dir/fx.png" | tail -c 3)" = PNG ] || fail "kdev fx wrote no picture"
out=$("$kdev" fx "$dir/level" --project NoSuchProject --ticks 3 2>&1)
[ "$?" = 1 ] && echo "$out" | grep -qxF "kdev fx: no project NoSuchProject" || fail "kdev fx took an unknown project: $out"

fi

if want level; then
# The hero's fight while the creature pursues it: the creature (slot 5) becomes its target and, once
# within reach, the stance comes on; the weapon pictures are the goldens.
out=$("$kdev" fight "$dir/level" --ticks 240 --png "$dir/fight" 2>&1) || fail "kdev fight ended with $?: $out"
echo "$out" | grep -q "^[0-9]* *5 .* 0 *0x00/0x00" || fail "kdev fight never showed the creature out of reach: $out"
echo "$out" | grep -q "^[0-9]* *5 .* 1 .* 0x60/0x00 60.0$" || fail "kdev fight never showed the stance: $out"
for picture in hero-sword hero-bow hero-gun hero-sword-blink; do
    cmp -s "$dir/fight/$picture.png" "$(dirname "$0")/../golden/$picture.png" || fail "kdev fight's $picture is not the golden"
done

# The shadows: with --real the hero (slot 0) holds the true shadow and the creature a blob on the floor,
# and the frame and the silhouette's texels are the shadow tests' goldens; without it the hero's is a
# blob as well; an option kdev does not know is refused.
out=$("$kdev" shadows "$dir/level" --real --png "$dir/shadows.png" --texture "$dir/shadows-texture.png" 2>&1) ||
    fail "kdev shadows ended with $?: $out"
echo "$out" | grep -q "^0 *2 *XH_ .* -600 290 0 " || fail "kdev shadows did not give the hero the true shadow: $out"
echo "$out" | grep -q "^[0-9]* *1 *CR1 .* 290 " || fail "kdev shadows did not lay the creature's blob: $out"
echo "$out" | grep -qx "attached 2" || fail "kdev shadows did not count two shadows: $out"
cmp -s "$dir/shadows.png" "$(dirname "$0")/../golden/shadow-real-640x480.png" ||
    fail "kdev shadows' frame is not the golden shadow-real-640x480"
cmp -s "$dir/shadows-texture.png" "$(dirname "$0")/../golden/shadow-real-texture.png" ||
    fail "kdev shadows' texture is not the golden shadow-real-texture"
out=$("$kdev" shadows "$dir/level" 2>&1) || fail "kdev shadows without --real ended with $?: $out"
echo "$out" | grep -q "^0 *1 *XH_ " || fail "kdev shadows gave the hero no blob: $out"
"$kdev" shadows "$dir/level" --sharp >/dev/null 2>&1 && fail "kdev shadows took an unknown option"

# The demo's dialogues: both entries listed, entry 0's voice written as a WAVE file, the window's
# frames at ticks 0 and 20 the goldens; a damaged dialogue file is named and ends with 1.
out=$("$kdev" drd "$dir/level" --wav 0 "$dir/voice.wav" 2>&1) || fail "kdev drd ended with $?: $out"
for line in "2 entries" '  voice 1 channel(s), 11025 Hz, 8 bits, 66150 data bytes, 90 ticks' \
    '  line 4 at 72 for 18: "Go gently. Press Space to hear me again."' "  picture 48 x 56" "entry 1: offset" \
    '  line 0 at 0 for 22: "The boards creak."' "  picture none"; do
    echo "$out" | grep -qF "$line" || fail "kdev drd did not print '$line': $out"
done
[ "$(head -c 4 "$dir/voice.wav")" = RIFF ] && [ "$(wc -c <"$dir/voice.wav")" -eq 66194 ] ||
    fail "kdev drd --wav wrote $(wc -c <"$dir/voice.wav") bytes"
out=$("$kdev" dialog "$dir/level" 0 "$dir/dialog" 2>&1) || fail "kdev dialog ended with $?: $out"
[ "$(ls "$dir/dialog" | grep -c '^dialog-0-t[0-9]*\.png$')" = 5 ] || fail "kdev dialog wrote $(ls "$dir/dialog")"
cmp -s "$dir/dialog/dialog-0-t0.png" "$(dirname "$0")/../golden/dlg-window-first-640x480.png" ||
    fail "kdev dialog's first frame is not the golden"
cmp -s "$dir/dialog/dialog-0-t20.png" "$(dirname "$0")/../golden/dlg-window-fading-640x480.png" ||
    fail "kdev dialog's frame at tick 20 is not the golden"
printf 'DRDX' >"$dir/level/drives/C/VORN/KALDER/DATA/3DC/DIALOG.DRD"
out=$("$kdev" drd "$dir/level" 2>&1)
[ $? -eq 1 ] && echo "$out" | grep -qF 'not a dialogue file' || fail "kdev drd on a damaged file: $out"

# An inventory image inside a longer file, at its offset: one item, a name without NUL, the indices;
# an image cut short is refused with status 2.
python3 - "$dir/inv.dat" <<'EOF'
import struct, sys
image = bytearray(952)
image[4:7] = b"feu"
image[20:36] = b"Z" * 16
struct.pack_into("<i3i", image, 516, 1, 0, -1, 31)
for i in range(32):
    struct.pack_into("<f", image, 532 + 4 * i, 50.0)
struct.pack_into("<i", image, 660, 3)
struct.pack_into("<i", image, 788, 4)
image[916] = 1
struct.pack_into("<I", image, 948, 1)
open(sys.argv[1], "wb").write(bytes(100) + image)
EOF
out=$("$kdev" inv "$dir/inv.dat" 100 2>&1) || fail "kdev inv ended with $?: $out"
for line in '    0 "feu"                   4     3   50.00     1' '    1 "ZZZZZZZZZZZZZZZZ"      0     0   50.00     0' \
    "selected 1" "quick 0 -1 31" "inUse 0x00000001"; do
    echo "$out" | grep -qF "$line" || fail "kdev inv did not print '$line': $out"
done
out=$("$kdev" inv "$dir/inv.dat" 101 2>&1)
[ $? -eq 2 ] || fail "kdev inv read past the file's end"
[ "$out" = "kdev inv: $dir/inv.dat holds no inventory at 101" ] || fail "kdev inv's refusal: $out"

fi

[ "$fails" -eq 0 ] && echo "kdev: all checks passed"
[ "$fails" -eq 0 ]
