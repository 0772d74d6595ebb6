#!/usr/bin/env bash
# Sets up what is missing, builds, and runs the whole test suite.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
build="$root/build"
"$root/scripts/setup.sh" "$build"
cmake --build "$build" -j "$(nproc)"
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" "$@"
