#!/usr/bin/env bash
# The snapshot wizard end to end, driven by two scripts as a person would
# drive it: on a new machine the first run goes from the first picture to
# the setup step, runs the installer fake_setup, and lets Windows shut down
# during setup; the machine restarts; at log-on Windows starts the wizard
# again, which resumes and makes the template; qmtdump prints it.
#
# usage: scripts/imprx_walkthrough.sh BIN WORK
#   BIN   the build's bin folder (imprxe32, vprmachine, fake_setup, qmtdump)
#   WORK  an empty folder for the machine and the scripts
set -euo pipefail
bin=$(cd "$1" && pwd)
work=$(mkdir -p "$2" && cd "$2" && pwd)
machine=$work/machine

"$bin/vprmachine" create "$machine"
export VPR_MACHINE=$machine
# The earlier version that the installer upgrades.
"$bin/fake_setup" prepare
# The installer as the machine names it: the host's files are on Z:.
setup="Z:${bin//\//\\}\\fake_setup"

cat >"$work/first.txt" <<SCRIPT
wait
click btnNext
type edtDistName Fake App
type edtDistDesc The fake application
click btnNext
type edtTemplateFile C:\\OUT\\fakeapp
leave edtTemplateFile
print edtTemplateFile
type edtNewFile C:\\OUT\\FILES
answer yes Directory
answer yes Directory
click btnNext
expect nbkMain Definitions
click btnNext
click btnNext
expect nbkMain RunInstall
file $setup
click btnRunSetup
wait
expect nbkMain Continue
answer no Windows is about to shutdown
shutdown
SCRIPT
echo "---- first run: to the setup step, then Windows shuts down ----"
VPR_UI_SCRIPT=$work/first.txt "$bin/imprxe32"

echo "---- restart ----"
"$bin/vprmachine" reboot

cat >"$work/second.txt" <<SCRIPT
answer yes Imprix has detected partial completion
wait
expect nbkMain TargetDirectory
type edtInstallDirectory C:\\Program Files\\Fake App
click btnNext
expect nbkMain Finished
print edtShowTemplateFile
click btnExit
SCRIPT
echo "---- log-on: Windows starts the wizard, which finishes the template ----"
VPR_UI_SCRIPT=$work/second.txt "$bin/vprmachine" logon --wait

echo "---- the template ----"
cd "$work"
"$bin/qmtdump" "$machine/c/OUT/fakeapp.qmt" "$work/fakeapp.qxt" >/dev/null
cat "$work/fakeapp.qxt"
