#!/usr/bin/env bash
# Formats every C++ source with the root .clang-format. InsertBraces needs clang-format 16 or later.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
formatter=$(command -v clang-format-16 || command -v clang-format)
cd "$root"
git ls-files '*.cpp' '*.h' | xargs "$formatter" -i
