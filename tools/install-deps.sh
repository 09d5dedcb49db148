#!/bin/sh
# Installs the Debian packages the build needs that are missing. As root it installs them; otherwise
# it prints the one command to run and fails.
set -eu
packages="cmake make ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev libpng-dev libsdl2-dev xvfb xauth x11-utils xdotool clang-14 libclang-rt-14-dev sox"
# `install-deps.sh bench`: the peers the benchmarks compare against (optional; missing ones are skipped).
if [ "${1:-}" = bench ]; then
    packages="zlib1g-dev liblz4-dev libavcodec-dev valgrind libosmesa6-dev libglm-dev libbullet-dev libsdl2-ttf-dev fonts-dejavu-core"
fi
# The display demonstration also takes screenshots: tools/install-deps.sh demo.
if [ "${1:-}" = demo ]; then
    packages="$packages imagemagick"
fi
missing=""
for p in $packages; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done
[ -z "$missing" ] && exit 0
if [ "$(id -u)" -eq 0 ]; then
    echo "installing:$missing"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $missing
else
    echo "missing packages; run:"
    echo "  sudo apt-get install -y$missing"
    exit 1
fi
