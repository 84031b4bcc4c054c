#!/usr/bin/env bash
# The getting-started path of the manual on the real program, on a virtual
# display, driven with the mouse from outside: choose a crop, a station and a
# soil by clicking their entries, run the session, answer the result box, and
# check the files the run wrote and that no other window came up. Controls
# are found by name in the map the program writes (KRL_WIDGET_MAP), never at
# fixed places.
#
#   test_getting_started.sh BUILD_DIR
# Exit 77 (skipped) where xvfb-run or xdotool are missing.
set -uo pipefail
BUILD=$1
for tool in xvfb-run xdotool; do
  command -v "$tool" >/dev/null || { echo "SKIPPED: $tool is not installed (tools/krl.sh test installs it)"; exit 77; }
done
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
for d in bin cropd soild meteo runio output; do cp -r "$BUILD/$d" "$T/"; done
rm -f "$T/bin/krl.lock" "$T"/output/*
# The sample session already is the manual's; another crop and soil in the
# working session make each click of the manual's choices a change to prove.
sed -i "s/^CRFILE .*/CRFILE  = 'WWHEAT.CRP'/" "$T/runio/KRLTI.TIM"
sed -i "s/^SOFILE .*/SOFILE = 'SAND.SOL'/" "$T/runio/KRLSI.SIT"

cat >"$T/drive.sh" <<'INNER'
set -uo pipefail
T=$1
MAP=$T/map
fail() { echo "FAIL: $*"; kill "$P" 2>/dev/null; exit 1; }
# Waits until the map names the control, then clicks its middle.
click() {
  local line=
  for _ in $(seq 1 150); do
    line=$(awk -v n="$1" '$1 == n { print; exit }' "$MAP" 2>/dev/null)
    [ -n "$line" ] && break
    sleep 0.1
  done
  [ -n "$line" ] || fail "no control $1 on the screen"
  read -r _ x y w h <<<"$line"
  xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 1
  sleep 0.3  # the map follows a fifth of a second later
}
cd "$T/bin"
KRL_WIDGET_MAP=$MAP ./krl >"$T/krl.log" 2>&1 &
P=$!
timeout 60 xdotool search --sync --onlyvisible --name "KORVAL Control Zudezo - Session" >/dev/null ||
  fail "no main window"
# The manual's choices, clicked by the entries' texts: spring barley, station
# north and medium loam.
click "pgcSession:Crop";    click "LbCropNo:Spring_barley"
click "pgcSession:Weather"; click "LbStation:Station_north,_daily_data_(synthetic)"
click "pgcSession:Soil";    click "LbSoilNo:Loam,_medium"
click "BtnRun"
BOX=$(timeout 120 xdotool search --sync --onlyvisible --name "^KORVAL Control Zudezo$" | head -1)
[ -n "$BOX" ] || fail "no box at the end of the run"
xdotool windowactivate --sync "$BOX" key Return 2>/dev/null || xdotool key Return
sleep 0.5
LEFT=$(xdotool search --onlyvisible --name "^KORVAL Control Zudezo$" 2>/dev/null | wc -l)
kill "$P"
wait "$P" 2>/dev/null
[ "$LEFT" -eq 0 ] || fail "another box came up after the run"
exit 0
INNER

xvfb-run -a -s '-screen 0 1280x900x24' bash "$T/drive.sh" "$T" || { cat "$T/krl.log"; exit 1; }

FAILED=0
fail() { echo "FAIL: $*"; FAILED=1; }
timer=$(find "$T/runio" -maxdepth 1 -iname krlti.tim | head -1)
site=$(find "$T/runio" -maxdepth 1 -iname krlsi.sit | head -1)
out=$(find "$T/output" -maxdepth 1 -iname krl.out | head -1)
crop=SBARLEY.CRP
soil=LOAM.SOL
[ -n "$out" ] && [ -s "$out" ] || fail "the run wrote no detailed output"
grep -qi "CRFILE *= *'$crop'" "$timer" || fail "the clicked crop $crop is not the session's: $(grep -i CRFILE "$timer")"
grep -qi "SOFILE *= *'$soil'" "$site" || fail "the clicked soil $soil is not the session's: $(grep -i SOFILE "$site")"
year=$(sed -n 's/^ISYR *= *//p' "$timer" | tr -d '\r')
[ "${year:-0}" -gt 1900 ] || fail "the run went out with the start year '$year'"
[ "$FAILED" -eq 0 ] && echo "Chosen by mouse and run: $crop on $soil from $year; the output is there."
exit "$FAILED"
