#!/usr/bin/env bash
# Builds and runs every test: the default build, the package made from it
# (as root), the same tests under AddressSanitizer + UBSan, and a short smoke
# of every fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)
cmake --preset default >/dev/null
cmake --build --preset default -j "$jobs"
ctest --preset default
# The Debian package from the tree just tested (as root: it is installed,
# used, upgraded and purged on this machine).
tests/package/package_test.sh build/default

if [ "${ZENTROPE_SKIP_ASAN:-0}" != 1 ]; then
  cmake --preset asan >/dev/null
  cmake --build --preset asan -j "$jobs"
  ctest --preset asan
fi

if [ "${ZENTROPE_SKIP_FUZZ:-0}" != 1 ] && command -v clang++ >/dev/null; then
  cmake --preset fuzz >/dev/null
  cmake --build --preset fuzz -j "$jobs"
  scripts/fuzz-smoke.sh build/fuzz/bin
fi
