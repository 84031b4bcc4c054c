#!/usr/bin/env bash
# Installs the build into a temporary prefix, checks the program home, the
# desktop entry and the link, and starts the installed program from another
# directory on the offscreen platform with a working session in its home.
#
#   test_install.sh BUILD_DIR WRITE_SESSION_PROGRAM
set -uo pipefail
BUILD=$1
WRITE_SESSION=$2
T=$(mktemp -d)
PID=
cleanup() {
  [ -n "$PID" ] && kill "$PID" 2>/dev/null
  rm -rf "$T"
}
trap cleanup EXIT
FAILED=0
fail() { echo "FAIL: $*"; FAILED=1; }

if ! cmake --install "$BUILD" --prefix "$T/prefix" >"$T/install.log" 2>&1; then
  cat "$T/install.log"
  echo "FAIL: cmake --install failed"
  exit 1
fi
HOMEDIR=$T/prefix/lib/korval-zudezo
BIN=$HOMEDIR/bin

# The program home.
for f in bin/krl bin/korval.exe bin/krlcmd; do
  [ -x "$HOMEDIR/$f" ] || fail "no program $f"
  # Installed stripped: the debugging information stays in the build.
  if command -v readelf >/dev/null && readelf -S "$HOMEDIR/$f" 2>/dev/null | grep -q '\.debug_info'; then
    fail "$f is installed with its debugging information"
  fi
done
for f in bin/DIRECT.INI bin/KRL_VAR.csv bin/KRL_Manual.pdf bin/help/index.html bin/help/1005.html \
         cropd/SBARLEY.CRP soild/LOAM.SOL meteo/merawe/NLD1.980 meteo/climd/RAINN.DAT; do
  [ -f "$HOMEDIR/$f" ] || fail "no file $f"
done
for d in runio output meteo/dbmrep; do
  [ -d "$HOMEDIR/$d" ] || fail "no directory $d"
done
for d in output meteo/dbmrep; do
  [ -z "$(ls -A "$HOMEDIR/$d" 2>/dev/null)" ] || fail "$d is not empty"
done
[ ! -e "$HOMEDIR/session" ] || fail "the sample session was installed as a folder of its own"
# The sample working session, ready for the first start.
for f in RUNOPT.DAT KRLTI.TIM KRLSI.SIT KRLRR.RER; do
  [ -f "$HOMEDIR/runio/$f" ] || fail "no sample working session file runio/$f"
done
cmp -s "$HOMEDIR/bin/KRL_VAR.csv" "$(dirname "$0")/../../data/bin/KRL_VAR.csv" || fail "KRL_VAR.csv differs from the sources"

# The link on the prefix's bin/ and the desktop entry.
[ "$(readlink -f "$T/prefix/bin/krl")" = "$(readlink -f "$BIN/krl")" ] || fail "bin/krl does not lead to the program"
DESKTOP=$T/prefix/share/applications/korval-zudezo.desktop
if [ -f "$DESKTOP" ]; then
  grep -qx "Path=$BIN" "$DESKTOP" || fail "the desktop entry does not start in the program directory"
  grep -qx "Exec=\"$BIN/krl\"" "$DESKTOP" || fail "the desktop entry does not start the installed program"
  ICON=$(sed -n 's/^Icon=//p' "$DESKTOP")
  [ -f "$ICON" ] || fail "the desktop entry's icon $ICON does not exist"
  grep -qx "Type=Application" "$DESKTOP" || fail "the desktop entry is no application"
  # The desktop matches the running window to its entry by the window class.
  grep -qx "StartupWMClass=krl" "$DESKTOP" || fail "the desktop entry names no window class"
  if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$DESKTOP" || fail "desktop-file-validate refuses the entry"
  fi
else
  fail "no desktop entry"
fi

# A working session in the installed home, then the program started from
# another directory through the link.
"$WRITE_SESSION" "$BIN/" || fail "the working session could not be written"
# (The program writes the names in capitals; it reads them in any case.)
ls "$HOMEDIR/runio" | grep -qix 'runopt.dat' || fail "no working session in runio/"
mkdir -p "$T/elsewhere"
cd "$T/elsewhere"
QT_QPA_PLATFORM=offscreen "$T/prefix/bin/krl" >"$T/krl.log" 2>&1 &
PID=$!
# Start-up makes the program directory current once it has read the variable
# catalogue and created the session: waited for, however slow the machine.
CWD=
for _ in $(seq 1 300); do
  kill -0 "$PID" 2>/dev/null || break
  CWD=$(readlink -f "/proc/$PID/cwd")
  [ "$CWD" = "$(readlink -f "$BIN")" ] && break
  sleep 0.1
done
if kill -0 "$PID" 2>/dev/null; then
  [ "$CWD" = "$(readlink -f "$BIN")" ] ||
    fail "krl works in $CWD, not in its program directory: it did not find its files"
  kill "$PID"
  wait "$PID" 2>/dev/null
else
  fail "krl ended at start-up"
  cat "$T/krl.log"
fi
PID=

# On a virtual display: the main window shows the session and no message
# box came up (a missing or unreadable file would show one).
if command -v xvfb-run >/dev/null && command -v xdotool >/dev/null; then
  cat >"$T/onscreen.sh" <<'INNER'
"$1" >/dev/null 2>&1 &
P=$!
MAIN=$(timeout 60 xdotool search --sync --name "KORVAL Control Zudezo - Session: KRL" 2>/dev/null | head -1)
BOXES=$(xdotool search --onlyvisible --name "^KORVAL Control Zudezo$" 2>/dev/null | wc -l)
kill $P
[ -n "$MAIN" ] || { echo "FAIL: no main window with the working session KRL"; exit 1; }
[ "$BOXES" -eq 0 ] || { echo "FAIL: a message box came up at start-up"; exit 1; }
INNER
  xvfb-run -a -s '-screen 0 1280x900x24' bash "$T/onscreen.sh" "$T/prefix/bin/krl" || FAILED=1
else
  echo "note: xvfb-run or xdotool missing; the on-screen check is left out"
fi
exit $FAILED
