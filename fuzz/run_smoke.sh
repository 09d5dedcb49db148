#!/bin/sh
# Runs a fuzzer with a fresh scratch corpus: run_smoke.sh <scratch dir> <fuzzer> <arguments...>
set -eu
scratch=$1
shift
rm -rf "$scratch"
mkdir -p "$scratch"
exec "$@"
