#!/bin/sh
# The tools' answers to a file that is not there and to one that is not of its kind
# (tool_answers_test.sh <kdev> <mkdemo> [kshow]): every subcommand that opens a file says "not found"
# with the host path it tried and the drive map it used, and ends with 1; a file that is there keeps
# its kind's own refusal.
set -u
kdev=$1
mkdemo=$2
kshow=${3:-}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fails=0
"$mkdemo" "$dir/demo" >/dev/null || { echo "FAIL: mkdemo"; exit 1; }
mkdir -p "$dir/empty"
cd "$dir/demo" || exit 1
C=$dir/demo/drives/C
D=$dir/demo/drives/D
map="drives C=$C D=$D"
printf 'not any format' >"$D/DATA/junk.bin"

# Each row: the expected status, the first line of the standard error, then the arguments (| between
# them; none of them holds one).
while IFS='|' read -r status expected args; do
    [ -z "$status" ] && continue
    # The arguments are split at '|' into the positional parameters.
    old_ifs=$IFS
    IFS='|'
    # shellcheck disable=SC2086
    set -- $args
    IFS=$old_ifs
    err=$("$kdev" "$@" 2>&1 >/dev/null)
    got=$?
    first=$(printf '%s\n' "$err" | head -n 1)
    if [ "$got" != "$status" ] || [ "$first" != "$expected" ]; then
        printf 'FAIL: kdev %s: status %s, expected %s\n      got      %s\n      expected %s\n' "$*" "$got" "$status" \
            "$first" "$expected"
        fails=$((fails + 1))
    fi
done <<ROWS
1|kdev: nothing.dsn: not found (tried $C/nothing.dsn; $map)|dsn|nothing.dsn
1|kdev: D:\\DATA\\3DC\\none.dsn: not found (tried $D/DATA/3DC/none.dsn; $map)|dsn|D:\\DATA\\3DC\\none.dsn|--png|$dir/png
1|kdev: D:\\none.dan: not found (tried $D/none.dan; $map)|dan|D:\\none.dan
1|kdev: D:\\none\\deeper.bf: not found (tried $D/none/deeper.bf; $map)|pack|D:\\none\\deeper.bf
1|kdev: D:\\DATA\\SOUND\\none.dat: not found (tried $D/DATA/SOUND/none.dat; $map)|fsb|D:\\DATA\\SOUND\\none.dat
1|kdev: D:\\none.3dc: not found (tried $D/none.3dc; $map)|obj|D:\\none.3dc
1|kdev: D:\\none.3di: not found (tried $D/none.3di; $map)|coll|D:\\none.3di
1|kdev: Q:\\none.hmp: not found (tried drive Q: unmapped; $map)|hmap|Q:\\none.hmp
1|kdev: data\\font\\none.spr: not found (tried $D/DATA/FONT/none.spr; $map)|spr|data\\font\\none.spr|$dir/none.png
1|kdev: data\\icone\\none.bf: not found (tried $D/DATA/ICONE/none.bf; $map)|icons|data\\icone\\none.bf|$dir/icons
1|kdev: data\\hnm\\none.hnm: not found (tried $D/DATA/HNM/none.hnm, $C/VORN/KALDER/data/hnm/none.hnm; $map)|film|data\\hnm\\none.hnm|$dir/film
1|kdev: none.inv: not found (tried $dir/demo/none.inv)|inv|none.inv
1|kdev: $dir/none: not found (tried $dir/none)|prj|$dir/none
1|kdev: kalder.dat: not found (tried $dir/empty/kalder.dat; drives D=$dir/empty)|prj|$dir/empty
1|kdev: $dir/none: not found (tried $dir/none)|level|$dir/none
1|kdev: $dir/none: not found (tried $dir/none)|zones|$dir/none
1|kdev: $dir/none: not found (tried $dir/none)|trg|$dir/none
1|kdev: $dir/none: not found (tried $dir/none)|play|$dir/none
1|kdev: $dir/none: not found (tried $dir/none)|ai|$dir/none
1|kdev: $dir/none: not found (tried $dir/none)|fight|$dir/none
1|kdev: D:\\DATA\\junk.bin: not a scene stream|dsn|D:\\DATA\\junk.bin
1|kdev: D:\\DATA\\junk.bin: not a container|dan|D:\\DATA\\junk.bin
1|kdev: cannot open film D:\\DATA\\junk.bin|film|D:\\DATA\\junk.bin|$dir/film
231|[Error] D:\\DATA\\junk.bin is not a valid file|pack|D:\\DATA\\junk.bin
ROWS

# Without any drive map the answer says so.
err=$(cd "$dir/empty" && env -u KALDER_DRIVES "$kdev" dsn nothing.dsn 2>&1 >/dev/null)
[ "$err" = "kdev: nothing.dsn: not found (tried no drive; drives none (KALDER_DRIVES unset and no ./drives folder))" ] ||
    { echo "FAIL: kdev dsn without a drive map: $err"; fails=$((fails + 1)); }

# kshow's sound script without the disc's bank.
if [ -n "$kshow" ]; then
    rm "$D/DATA/SOUND/FSB.DAT"
    err=$(SDL_AUDIODRIVER=dummy "$kshow" sound 2>&1 >/dev/null)
    status=$?
    [ "$status" = 1 ] && [ "$err" = "kshow: data\\sound\\fsb.dat: not found (tried $D/DATA/SOUND/fsb.dat; $map)" ] ||
        { echo "FAIL: kshow sound without the bank ended with $status: $err"; fails=$((fails + 1)); }
fi
[ "$fails" -eq 0 ] && echo "all answers as expected"
[ "$fails" -eq 0 ]
