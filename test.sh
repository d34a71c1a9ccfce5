#!/usr/bin/env bash
# Install what is missing, build, and run the whole test suite twice:
# once on the normal build, once under AddressSanitizer + UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
jobs="$(nproc)"

tools/setup.sh build
(cd build && ctest --output-on-failure -j"$jobs")

tools/setup.sh build-asan -DSKYVERN_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd build-asan && ctest --output-on-failure -j"$jobs")
