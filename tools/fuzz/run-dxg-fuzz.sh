#!/usr/bin/env bash
# Builds and runs the collection reader fuzzer under ASan+UBSan.
# Usage: tools/fuzz/run-dxg-fuzz.sh [SECONDS] [JOBS]   (defaults: 600 s, 1 job)
# Findings land in fuzz-out/findings/; keep each fixed one in tests/data/fuzz/dxg/.
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds="${1:-600}"
jobs="${2:-1}"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DSKYVERN_FUZZ=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz --target dxg_fuzz dxg_fuzz_seeds -j2
mkdir -p fuzz-out/corpus fuzz-out/seeds fuzz-out/findings
build-fuzz/bin/dxg_fuzz_seeds fuzz-out/seeds
# Earlier findings go back in as seeds, so a regression shows at once. Worker logs
# (fuzz-N.log) land in fuzz-out/ too.
root="$PWD"
args=(corpus seeds "$root/tests/data/fuzz/dxg"
      -dict="$root/tools/fuzz/dxg.dict" -max_len=8192 -timeout=5 -rss_limit_mb=512
      -malloc_limit_mb=256 -max_total_time="$seconds" -artifact_prefix=findings/
      -print_final_stats=1)
cd fuzz-out
if ((jobs > 1)); then
  "$root/build-fuzz/bin/dxg_fuzz" "${args[@]}" -jobs="$jobs" -workers="$jobs"
else
  "$root/build-fuzz/bin/dxg_fuzz" "${args[@]}"
fi
