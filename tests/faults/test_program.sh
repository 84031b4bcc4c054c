#!/usr/bin/env bash
# The real program on a copy of the sample program home, on the offscreen
# platform: told to terminate (SIGTERM, SIGHUP), it ends with the signal's
# status and leaves its working session whole.
#
#   test_program.sh BUILD_DIR
set -uo pipefail
BUILD=$1
T=$(mktemp -d)
PID=
cleanup() {
  [ -n "$PID" ] && kill -9 "$PID" 2>/dev/null
  rm -rf "$T"
}
trap cleanup EXIT
FAILED=0
fail() { echo "FAIL: $*"; FAILED=1; }

for d in bin cropd soild meteo runio output; do cp -r "$BUILD/$d" "$T/" ; done
rm -f "$T/bin/krl.lock"

# Started when its lock file names it: the main window is being built.
start() {
  (cd "$T/bin" && QT_QPA_PLATFORM=offscreen exec ./krl >"$T/krl.log" 2>&1) &
  PID=$!
  for _ in $(seq 1 300); do
    [ "$(cat "$T/bin/krl.lock" 2>/dev/null)" = "$PID" ] && return 0
    kill -0 "$PID" 2>/dev/null || break
    sleep 0.1
  done
  fail "the program did not start"; cat "$T/krl.log"; return 1
}

for sig in TERM HUP; do
  start || continue
  kill -s "$sig" "$PID"
  wait "$PID"
  status=$?
  PID=
  expected=$((128 + $(kill -l "$sig")))
  [ "$status" -eq "$expected" ] || fail "SIG$sig: exit status $status, expected $expected"
  for f in runopt.dat KRLti.tim KRLsi.sit KRLrr.rer; do
    real=$(find "$T/runio" -maxdepth 1 -iname "$f" | head -n 1)
    [ -n "$real" ] && [ -s "$real" ] || fail "SIG$sig: working file $f missing or empty"
  done
done

[ "$FAILED" -eq 0 ] && echo "The program ends with the signal's status and leaves its session whole."
exit "$FAILED"
