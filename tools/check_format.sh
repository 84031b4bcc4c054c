#!/usr/bin/env bash
# Checks that every C++ source and header of the repository is formatted as
# .clang-format says; names each file that is not and fails.
#
#   bash tools/check_format.sh          check
#   bash tools/check_format.sh --fix    format the files in place
#
# The format depends on clang-format's version: this uses the one of the
# Debian package clang-format, which it installs when missing.
set -euo pipefail
cd "$(dirname "$0")/.."

if ! command -v clang-format >/dev/null; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq clang-format >/dev/null
fi

mapfile -t FILES < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${FILES[@]}"
  exit 0
fi
bad=()
for f in "${FILES[@]}"; do
  clang-format --dry-run --Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done
if [ ${#bad[@]} -gt 0 ]; then
  echo "Not formatted as .clang-format says (bash tools/check_format.sh --fix):" >&2
  printf '  %s\n' "${bad[@]}" >&2
  exit 1
fi
echo "Formatting holds (${#FILES[@]} files, $(clang-format --version | grep -o 'version [0-9.]*'))."
