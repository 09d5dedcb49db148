#!/bin/sh
# kdev as a person uses it (kdev_test.sh <kdev> <mkdemo>): a pack whose stored names are not upper
# case is listed whole, pictures go into a folder that did not exist yet, a project folder whose
# name holds ';' loads, and the demo installation's Project0 loads with the golden picture.
set -u
kdev=$1
mkdemo=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fails=0
fail() {
    echo "FAIL: $1"
    fails=$((fails + 1))
}

mkdir -p "$dir/disc"
printf 'first' >"$dir/a"
printf 'second!' >"$dir/b"
"$kdev" mkpack --as-given "$dir/disc/mixed.bf" 'data\lower.bin='"$dir/a" 'DATA\UPPER.BIN='"$dir/b" || fail "mkpack"
out=$(KALDER_DRIVES="D=$dir/disc" "$kdev" pack 'D:\MIXED.BF' 2>&1) || fail "kdev pack ended with $?: $out"
[ "$(echo "$out" | grep -ci 'BIN ')" = 2 ] || fail "kdev pack listed: $out"
echo "$out" | grep -q '^data\\lower.bin ' || fail "the lower-case name is missing: $out"

"$kdev" render "$dir/new/deeper" >/dev/null 2>&1 || fail "kdev render into a missing folder"
[ "$(ls "$dir/new/deeper" | grep -c '\.png$')" -gt 0 ] || fail "kdev render wrote no picture"

"$kdev" anim "$dir/anim" >/dev/null 2>&1 || fail "kdev anim"
[ "$(ls "$dir/anim" | grep -c '^anim-.*\.png$')" = 37 ] || fail "kdev anim wrote $(ls "$dir/anim" | wc -l) pictures, not 37"

"$mkdemo" "$dir/demo" >/dev/null || fail "mkdemo"
mv "$dir/demo/drives/D" "$dir/semi;colon"
out=$("$kdev" prj "$dir/semi;colon" 2>&1) || fail "kdev prj ended with $?"
echo "$out" | grep -q 'Project0' || fail "kdev prj did not list Project0: $out"
echo "$out" | grep -q 'ignoring' && fail "kdev prj read the folder as a drive map: $out"

golden=$(dirname "$0")/../golden/demo-project0.png
"$mkdemo" "$dir/level" >/dev/null || fail "mkdemo"
out=$("$kdev" level "$dir/level" --png "$dir/level.png" 2>&1) || fail "kdev level ended with $?: $out"
for node in xh_ sc1 box; do
    echo "$out" | grep -q "^[0-9]* *$node " || fail "kdev level did not list $node: $out"
done
cmp -s "$dir/level.png" "$golden" || fail "kdev level's picture is not the golden demo-project0"

[ "$fails" -eq 0 ] && echo "kdev: all checks passed"
[ "$fails" -eq 0 ]
