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

# Then, on a fresh emulated workstation with a directory tree, the
# administration module makes an application object from that sample
# template with its creation wizard, and one of the object's streams is
# read back and printed the same way.
echo
echo "---- an application object made from the sample ----"
export VPR_MACHINE="$work/desk"
"$bin/vprmachine" create "$VPR_MACHINE" >/dev/null
tree="$VPR_MACHINE/acme.tree"
# admin.acme is the tree's administrator: the wizard writes the new
# object's attributes as that user, and the directory checks every request.
"$bin/vprdir" create "$tree" ACME admin.acme
"$bin/vprdir" add "$tree" acme Organization
"$bin/vprdir" add "$tree" apps.acme "Organizational Unit"
"$bin/vprdir" add "$tree" admin.acme User
"$bin/vprmachine" set tree.ACME.store "$tree"
"$bin/vprmachine" set tree.ACME.user admin.acme
"$bin/vprmachine" set tree.ACME.authenticated 1
"$bin/vprmachine" copy "$bin/VPRADM32.DLL" 'C:\PUBLIC\WIN32\VPRADM32.DLL' >/dev/null
"$bin/vprmachine" copy "$bin/KMAPP32.DLL" 'C:\PUBLIC\WIN32\KMAPP32.DLL' >/dev/null
"$bin/vprmachine" copy "$bin/NLS/ENGLISH/VPRRES32.DLL" 'C:\PUBLIC\WIN32\NLS\ENGLISH\VPRRES32.DLL' >/dev/null
"$bin/vprmachine" copy "$work/sample.qmt" 'C:\PUBLIC\VPRLIB\QMTFILES\SAMPLE.QMT' >/dev/null
"$bin/vprmachine" ini kmadmin.ini 'Snapin Modules' VPRADM32 'C:\PUBLIC\WIN32\VPRADM32.DLL' >/dev/null
cat > "$work/create.kma" <<'END'
answer ok The schema has been updated
dialog 330
  choose 1500 ACME
  ok
end
context apps.acme
dialog 336
  check 5032 on
  press 5033
end
dialog 337
  choose 5038 Quillpad
  press 5042
end
dialog 338
  press 5049
end
dialog 339
  press 5026
end
dialog 361
  wait
end
create App:Application
END
"$bin/kmadmin" "$work/create.kma"
"$bin/vprdir" read-stream "$tree" Quillpad.apps.acme "App:Copy Files" "$work/copy.qmt"
(cd "$work" && "$bin/qmtdump" copy.qmt)
echo
echo "---- App:Copy Files of Quillpad.apps.acme ----"
cat "$work/copy.QXT"
