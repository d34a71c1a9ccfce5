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
# Earlier findings go back in as seeds, so a regression shows at once.
args=(fuzz-out/corpus fuzz-out/seeds tests/data/fuzz/dxg
      -dict=tools/fuzz/dxg.dict -max_len=8192 -timeout=5 -rss_limit_mb=512 -malloc_limit_mb=256
      -max_total_time="$seconds" -artifact_prefix=fuzz-out/findings/ -print_final_stats=1)
if ((jobs > 1)); then
  build-fuzz/bin/dxg_fuzz "${args[@]}" -jobs="$jobs" -workers="$jobs"
else
  build-fuzz/bin/dxg_fuzz "${args[@]}"
fi
