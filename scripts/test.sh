#!/usr/bin/env bash
# Installs what is missing, configures, builds (warnings as errors) and runs every test.
#   scripts/test.sh                 the normal build, in build/
#   BRINDLE_SANITIZE=ON scripts/test.sh   address and undefined-behaviour sanitizers, in build-asan/
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
sanitize="${BRINDLE_SANITIZE:-OFF}"
dir=build
[ "$sanitize" = "ON" ] && dir=build-asan
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRINDLE_SANITIZE="$sanitize" \
    -DBRINDLE_WERROR=ON
cmake --build "$dir"
ctest --test-dir "$dir" --output-on-failure -j 2
