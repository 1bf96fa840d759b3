#!/usr/bin/env bash
# Runs one fuzz target by hand: builds it with clang and libFuzzer in
# build/fuzz and runs it on a working copy of its seed corpus (the seeds in
# the repository stay as they are). Further arguments go to libFuzzer, e.g.
#     scripts/fuzz.sh ini_text -runs=10000000 -jobs=2 -workers=2
#     scripts/fuzz.sh template_record -max_total_time=600
# With no target name it lists the targets. A crash leaves crash-* in
# build/fuzz/runs/NAME; see README "Fuzzing a reader".
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
vpr_install_packages "${vpr_packages[@]}" "${vpr_fuzz_packages[@]}"

# Each target: its name and its seed corpus folder.
declare -A corpus=(
    [resource_container]=platform/win/fuzz/corpus/resource_container
    [regedit_text]=platform/win/fuzz/corpus/regedit_text
    [ini_text]=platform/win/fuzz/corpus/ini_text
    [icon_image]=platform/user/fuzz/corpus/icon_image
    [template_record]=template/fuzz/corpus/template_record
    [schedule_record]=template/fuzz/corpus/schedule_record
    [picture_file]=snapshot/engine/fuzz/corpus/picture_file
    [ini_sections]=snapshot/engine/fuzz/corpus/ini_sections
    [directory_value]=platform/directory/fuzz/corpus/directory_value
    [shell_link]=platform/com/fuzz/corpus/shell_link
    [form_stream]=platform/forms/fuzz/corpus/form_stream
    [id_list]=shellext/fuzz/corpus/id_list
    [wininit_rename]=loader/fuzz/corpus/wininit_rename
    [namespace_link]=loader/fuzz/corpus/namespace_link
    [id_list_array]=shellext/fuzz/corpus/id_list_array
    [drop_files]=shellext/fuzz/corpus/drop_files
    [view_state]=shellext/fuzz/corpus/view_state
    [shortcut_link]=shellext/fuzz/corpus/shortcut_link
)
name="${1:-}"
if [ -z "$name" ] || [ -z "${corpus[$name]:-}" ]; then
    echo "usage: scripts/fuzz.sh TARGET [LIBFUZZER-OPTION...]"
    echo "targets: ${!corpus[*]}"
    exit 2
fi
shift

build=build/fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DVPR_FUZZ=ON -DVPR_TESTS=OFF -DVPR_BENCHMARKS=OFF >/dev/null
cmake --build "$build" --target "${name}_fuzz"

runs="$build/runs/$name"
mkdir -p "$runs/corpus"
cp -n "${corpus[$name]}"/* "$runs/corpus/"
cd "$runs"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
exec "../../bin/${name}_fuzz" "$@" corpus
