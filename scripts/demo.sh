#!/usr/bin/env bash
# The main job on an embedded sample: builds the system, writes a sample
# application template with the template library and prints it as text with
# qmtdump.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
vpr_install_packages

build=build/demo
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVPR_TESTS=OFF -DVPR_BENCHMARKS=OFF >/dev/null
cmake --build "$build" >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bin/qmtsample" "$work/sample.qmt"

# Dump the sample as its text form; side files land beside it.
bin="$(pwd)/$build/bin"
(cd "$work" && "$bin/qmtdump" sample.qmt)
echo
echo "---- sample.QXT ----"
cat "$work/sample.QXT"
