#!/usr/bin/env bash
# Installs the administration module on an emulated workstation, as an
# administrator installs it: VPRADM32.DLL and KMAPP32.DLL in C:\PUBLIC\WIN32,
# the English language library VPRRES32.DLL in C:\PUBLIC\WIN32\NLS\ENGLISH,
# the template folder C:\PUBLIC\VPRLIB\QMTFILES, and the module listed in
# [Snapin Modules] of kmadmin.ini. Other lines of kmadmin.ini are kept, and a
# second run changes nothing.
#
#   scripts/install-admin.sh [--machine DIR]      (default: $VPR_MACHINE)
#
# The release tree (build/release) is built first when it lacks a program.
set -euo pipefail

usage() {
  echo "usage: scripts/install-admin.sh [--machine DIR]" >&2
  exit 2
}

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
machine="${VPR_MACHINE:-}"
while [ $# -gt 0 ]; do
  case "$1" in
    --machine) [ $# -ge 2 ] || usage; machine="$2"; shift 2 ;;
    -h|--help) sed -n '2,12p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) usage ;;
  esac
done
[ -n "$machine" ] || { echo "install-admin: no machine: set VPR_MACHINE or give --machine DIR" >&2; exit 2; }
[ -f "$machine/machine.ini" ] || { echo "install-admin: $machine is not a machine (vprmachine create makes one)" >&2; exit 1; }
machine="$(cd "$machine" && pwd)"

bin="$here/build/release/bin"
needed=(VPRADM32.DLL KMAPP32.DLL NLS/ENGLISH/VPRRES32.DLL kmadmin vprmachine)
missing=0
for file in "${needed[@]}"; do [ -e "$bin/$file" ] || missing=1; done
if [ "$missing" = 1 ]; then
  echo "install-admin: building the release tree (build/release)"
  command -v cmake >/dev/null && command -v ninja >/dev/null || "$here/scripts/setup.sh"
  cmake -S "$here" -B "$here/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVPR_TESTS=OFF \
    -DVPR_BENCHMARKS=OFF >/dev/null
  cmake --build "$here/build/release" -j4 --target vpradm32 kmapp32 kmadmin vprmachine_tool
fi

vprmachine() { "$bin/vprmachine" "$1" --machine "$machine" "${@:2}"; }
vprmachine copy "$bin/VPRADM32.DLL" 'C:\PUBLIC\WIN32\VPRADM32.DLL'
vprmachine copy "$bin/KMAPP32.DLL" 'C:\PUBLIC\WIN32\KMAPP32.DLL'
vprmachine copy "$bin/NLS/ENGLISH/VPRRES32.DLL" 'C:\PUBLIC\WIN32\NLS\ENGLISH\VPRRES32.DLL'
vprmachine mkdir 'C:\PUBLIC\VPRLIB\QMTFILES'
vprmachine ini kmadmin.ini 'Snapin Modules' VPRADM32 'C:\PUBLIC\WIN32\VPRADM32.DLL'
echo "install-admin: the administration module is installed on $machine; run $bin/kmadmin"
