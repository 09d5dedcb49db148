#!/bin/sh
# The headline figures of a `make bench` run, gathered from the programs' saved outputs in one folder
# (<program>.txt): the LZ unpacker against inflate, the render of S1, S2 and S6 with their peers and
# the memset floor, the whole frame on S6 and the demo level, and the SDL present.
out=${1:-build/release/bench-out}
section() { printf '\n== %s\n' "$1"; }

section "LZ_UnpackChecked against inflate (lz_bench)"
sed -n '/^LZ summary/,$p' "$out/lz_bench.txt" 2>/dev/null | grep -E '^(LZ summary|text |records |texture )' | awk '!seen[$1]++'

section "Render S1, S2, S6 and the texel variants (render_bench)"
awk '/^memset of the frame/ { print }
     /^(s1-flat|s2-affine|s6-small|s2-affine-texel|s6-small-texel):/ { keep = 1; print; next }
     /^[^ ]/ { keep = 0 }
     keep && /^  / { print }' "$out/render_bench.txt" 2>/dev/null

for program in frame_bench frame_sdl_bench; do
    section "Whole frame (${program})"
    grep -E '^(Whole frames|scene |s6-small |s6-small-texel |demo-level )' "$out/$program.txt" 2>/dev/null
done

section "SDL present (sdl_present_bench)"
sed -n '/^ms per present/,$p' "$out/sdl_present_bench.txt" 2>/dev/null
