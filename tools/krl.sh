#!/usr/bin/env bash
# Installs what is missing, builds, and either starts the program on the
# sample program home (start) or runs every test (test).
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(locales cmake ninja-build g++ ccache pkg-config qt6-base-dev qt6-charts-dev qt6-svg-dev zlib1g-dev
          libgtest-dev libbenchmark-dev xvfb xauth xdotool python3-openpyxl poppler-utils clang clang-format
          slurm-wlm munge)

install_missing() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
  fi
}

# A decimal-comma locale lets the tests prove that files keep the full stop.
ensure_test_locale() {
  locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$' && return 0
  [ "$(id -u)" -eq 0 ] || return 0
  command -v localedef >/dev/null || apt-get install -y -qq locales >/dev/null || return 0
  localedef -i de_DE -f UTF-8 de_DE.UTF-8 2>/dev/null || true
}

# KRL_WERROR=ON (as CI sets it) makes every warning in our own code an error.
# With targets, only those are built (and what they need); as many jobs as
# cores.
build() {
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKRL_WERROR="${KRL_WERROR:-OFF}" >/dev/null
  local targets=()
  for t in "$@"; do targets+=(--target "$t"); done
  cmake --build build --parallel "$(nproc)" "${targets[@]}"
}

# The second tree: every test again, built with AddressSanitizer and
# UndefinedBehaviorSanitizer (the model and krlcmd that the end-to-end tests
# start too). Any fault stops the test that met it. Leak reports that come
# from the libraries below Qt, not from our code, are suppressed in
# tools/lsan.supp. (strict_string_checks stays off: it takes a library's
# strndup that stops at the terminator, as X11's keymap code does at start-up,
# for an overflow.)
sanitizer_tests() {
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" \
    -DKRL_SANITIZE=ON -DKRL_BUILD_BENCH=OFF -DKRL_WERROR="${KRL_WERROR:-OFF}" >/dev/null
  cmake --build build-asan
  ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1 \
  LSAN_OPTIONS=suppressions=$PWD/tools/lsan.supp:print_suppressions=0 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan --output-on-failure -j2
}

case "${1:-}" in
  start)
    install_missing
    # Only what the program needs: the program, the model, the batch
    # interpreter, the program home, the manual and the help pages.
    build krl korval krlcmd programhome manual
    cd build/bin
    if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
      echo "No display: starting under xvfb-run."
      exec xvfb-run -a ./krl
    fi
    exec ./krl
    ;;
  test)
    install_missing
    ensure_test_locale
    build
    ctest --test-dir build --output-on-failure -j2
    sanitizer_tests
    ;;
  *)
    echo "usage: $0 start|test" >&2
    exit 2
    ;;
esac
