#!/usr/bin/env bash
# Fuzzes every reader of the program with libFuzzer.
#
#   bash tools/fuzz.sh [SECONDS] [TARGET...]
#
# Builds the targets of fuzz/ with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer in build-fuzz/, lays out the seed corpora (the
# sample data and what the model really writes) and runs each target, one
# after the other, for SECONDS (default 600) at the lowest priority, with a
# budget of 1 s of processor time per input (fuzz/FuzzMain.cpp; the clock
# says little on a loaded machine, so the fuzzer's own clock time-out, 30 s,
# only catches endless loops) and 512 MB of memory. Corpora and findings stay
# out of the repository:
#   build-fuzz/corpus/TARGET     the corpus, kept from run to run
#   build-fuzz/findings/TARGET   crash-*, timeout-*, oom-* and leak-* inputs
#   build-fuzz/logs/TARGET.log   the fuzzer's output
# At the end a table gives per target: runs, coverage (edges), features,
# and the crashes, time-outs and memory-outs of this run. Replay one input
# with build-fuzz/fuzz/fuzz_TARGET FILE.
set -euo pipefail
cd "$(dirname "$0")/.."

SECONDS_EACH=${1:-600}
shift || true
ALL=(dxline textfile ini varcat datafile session log outdet outsum modelinput modelrun krlcmd)
TARGETS=("$@")
[ $# -gt 0 ] || TARGETS=("${ALL[@]}")

if ! command -v clang++ >/dev/null; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq clang cmake ninja-build >/dev/null
fi

# Absolute paths: some targets change the working directory, as the program does.
B=$PWD/build-fuzz
F=$PWD/fuzz
CC=clang CXX=clang++ cmake -S . -B $B -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKRL_FUZZ=ON \
  -DKRL_BUILD_GUI=OFF -DKRL_BUILD_TESTS=OFF -DKRL_BUILD_BENCH=OFF >/dev/null
nice -n 19 cmake --build $B --target fuzz_all
rm -rf $B/seeds
$B/fuzz/fuzz_seeds $B/seeds >/dev/null

# A small quarantine keeps the fuzzer's resident memory well below the limit.
export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1:quarantine_size_mb=32
export UBSAN_OPTIONS=print_stacktrace=1
ROWS=()
for t in "${TARGETS[@]}"; do
  mkdir -p $B/corpus/$t $B/findings/$t $B/logs
  count() { ls $B/findings/$t | grep -c -E "^($1)-" || true; }
  crashes0=$(count 'crash|leak|deadly'); timeouts0=$(count timeout); ooms0=$(count oom)
  echo "== fuzz_$t for ${SECONDS_EACH}s"
  set +e
  nice -n 19 $B/fuzz/fuzz_$t $B/corpus/$t $B/seeds/$t -dict=$F/dict/$t.dict \
    -max_total_time="$SECONDS_EACH" -timeout=30 -rss_limit_mb=512 -malloc_limit_mb=512 \
    -close_fd_mask=3 -print_final_stats=1 -artifact_prefix=$B/findings/$t/ >$B/logs/$t.log 2>&1
  rc=$?
  set -e
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' $B/logs/$t.log | grep -o '[0-9]*$' || true)
  cov=$(grep -o 'cov: [0-9]*' $B/logs/$t.log | tail -1 | grep -o '[0-9]*' || true)
  ft=$(grep -o 'ft: [0-9]*' $B/logs/$t.log | tail -1 | grep -o '[0-9]*' || true)
  crashes=$(( $(count 'crash|leak|deadly') - crashes0 ))
  timeouts=$(( $(count timeout) - timeouts0 ))
  # An input over the processor time budget stops the target like a crash.
  if grep -q 'fuzz check failed: .*hang:' $B/logs/$t.log; then
    crashes=$((crashes - 1)); timeouts=$((timeouts + 1))
  fi
  ooms=$(( $(count oom) - ooms0 ))
  ROWS+=("$(printf '%-11s %10s %8s %8s %8s %9s %12s %5s' "$t" "${runs:-?}" "${cov:-?}" "${ft:-?}" "$crashes" "$timeouts" "$ooms" "$rc")")
done

echo
printf '%-11s %10s %8s %8s %8s %9s %12s %5s\n' target runs edges features crashes time-outs memory-outs exit
for r in "${ROWS[@]}"; do echo "$r"; done
