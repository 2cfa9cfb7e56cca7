#!/usr/bin/env bash
# Sets everything up, then converts the bundled samples into one TREVADEL file.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build
mkdir -p build/samples-output
out=build/samples-output/samples.txt
build/bin/delvaro-cli -o "$out" samples/*.asc
echo "The TREVADEL input file is in $(pwd)/$out"
