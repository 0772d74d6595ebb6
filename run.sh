#!/usr/bin/env bash
# Sets up what is missing, builds, and starts the program from its application folder.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
build="$root/build"
"$root/scripts/setup.sh" "$build"
cmake --build "$build" -j "$(nproc)"
program="$build/app/tarnwick"
if [ ! -x "$program" ]; then
    echo "Built the libraries; the program itself is not part of this build yet."
    exit 0
fi
exec "$program" "$@"
