#!/usr/bin/env bash
# Installs what is missing, builds, and either starts the program on the
# sample program home (start) or runs every test (test).
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(locales cmake ninja-build g++ pkg-config qt6-base-dev qt6-charts-dev qt6-svg-dev libxlsxwriter-dev
          libgtest-dev libbenchmark-dev xvfb xauth python3-openpyxl poppler-utils)

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

build() {
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build build
}

case "${1:-}" in
  start)
    install_missing
    build
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
    ;;
  *)
    echo "usage: $0 start|test" >&2
    exit 2
    ;;
esac
