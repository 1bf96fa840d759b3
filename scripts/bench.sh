#!/usr/bin/env bash
# Builds the release tree and runs every benchmark program (*_bench) in it,
# printing one table: each workload of ours against its baseline measured in
# the same run, and their ratio (ours/s divided by baseline/s) beside its goal.
# Benchmarks are never tests; run this by hand on a quiet machine.
#   scripts/bench.sh [-jN] [PROGRAM...]     e.g. scripts/bench.sh -j4 registry_bench
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
if [[ "${1:-}" == -j* ]]; then jobs="${1#-j}"; shift; fi

build=build/release
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
if [[ ! -f $build/CMakeCache.txt ]]; then
  # The benchmarks make their machines and trees with the test kit.
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVPR_TESTS=ON -DVPR_BENCHMARKS=ON "${launcher[@]}" >/dev/null
fi
programs=("$@")
if [[ ${#programs[@]} -eq 0 ]]; then
  mapfile -t programs < <(ninja -C "$build" -t targets all | sed -n 's/^\([a-z0-9_]*_bench\): phony$/\1/p' | grep -v '^cmake_' | sort -u)
fi
cmake --build "$build" -j "$jobs" --target "${programs[@]}" >/dev/null

printf '%-40s %14s %14s %8s  %s\n' workload ours/s baseline/s ratio goal
status=0
for program in "${programs[@]}"; do
  # Each program prints its own header; the table keeps one.
  if ! "$build/bin/$program" | grep -v -e '^#' -e '^workload '; then
    echo "$program failed" >&2
    status=1
  fi
done
exit $status
