#!/usr/bin/env bash
# Installs what is missing, configures, builds (warnings as errors) and runs every test.
#   scripts/test.sh                 the normal build, in build/
#   BRINDLE_SANITIZE=ON scripts/test.sh   address and undefined-behaviour sanitizers, in build-asan/
#   CXX=clang++ BRINDLE_SANITIZE=ON scripts/test.sh   the same with clang, which builds the
#                                   fuzzers of fuzz/ too (scripts/fuzz.sh runs them)
#   CMAKE_BUILD_TYPE=Release scripts/test.sh   another build type than RelWithDebInfo
#   BRINDLE_UNITY=ON scripts/test.sh   each room compiled as one source: a faster build from
#                                   nothing, a slower one after a small change
set -euo pipefail
cd "$(dirname "$0")/.."
sanitize="${BRINDLE_SANITIZE:-OFF}"
extra=()
case "${CXX:-}" in *clang*) extra=(clang libclang-rt-14-dev) ;; esac
# LibreOffice, headless, reads the Office documents that Brindle reads and writes, through the
# UNO bridge; olefile opens the compound files Brindle wrote. Tests of the tools label, which
# the sanitizer build leaves out.
[ "$sanitize" = "ON" ] || extra+=(libreoffice-calc-nogui libreoffice-writer-nogui
    libreoffice-impress-nogui python3-uno python3-olefile)
scripts/install-deps.sh "${extra[@]}"
dir=build
bench=ON
# No test runs the benchmarks: the sanitizer build leaves them out.
[ "$sanitize" = "ON" ] && dir=build-asan && bench=OFF
# Checks that only read files (the sources' format, the layering, what a program links) and
# those that drive our programs from other tools (pre-commit, Neovim, the SARIF validator) find
# nothing more under the sanitizers: the sanitizer build leaves them out.
skip=()
[ "$sanitize" = "ON" ] && skip=(-LE '^(static|tools)$')
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="${CMAKE_BUILD_TYPE:-RelWithDebInfo}" \
    -DBRINDLE_SANITIZE="$sanitize" -DBRINDLE_BUILD_BENCH="$bench" -DBRINDLE_WERROR=ON \
    -DBRINDLE_UNITY="${BRINDLE_UNITY:-OFF}"
cmake --build "$dir"
ctest --test-dir "$dir" --output-on-failure -j 2 "${skip[@]}"
