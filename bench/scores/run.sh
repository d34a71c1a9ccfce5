#!/usr/bin/env bash
# Load benchmark of skyvern-scores on loopback: the version query and the world page (10 000 rows),
# wrk for 20 s each; prints requests per second and 99th-percentile latency per route.
# Environment: BUILD_DIR (default build), DURATION (20s), CONNECTIONS (16), WRK_THREADS (1).
set -euo pipefail
cd "$(dirname "$0")/../.."

build="${BUILD_DIR:-build}"
duration="${DURATION:-20s}"
connections="${CONNECTIONS:-16}"
wrk_threads="${WRK_THREADS:-1}"
rows=10000

if ! command -v wrk >/dev/null; then
  echo "wrk is missing: apt-get install wrk" >&2
  exit 1
fi
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target skyvern-scores scores_seed >/dev/null

work="$(mktemp -d)"
server_pid=""
cleanup() {
  if [ -n "$server_pid" ] && kill -0 "$server_pid" 2>/dev/null; then
    kill -TERM "$server_pid"
    wait "$server_pid" || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

"$build/bin/scores_seed" "$work/bench.db" "$rows" >/dev/null
"$build/bin/skyvern-scores" --listen 127.0.0.1:0 --db "$work/bench.db" >"$work/server.out" &
server_pid=$!
for _ in $(seq 100); do
  grep -q 'listening on' "$work/server.out" 2>/dev/null && break
  sleep 0.05
done
address="$(sed -n 's/.*listening on \(.*\)$/\1/p' "$work/server.out")"
[ -n "$address" ] || { echo "server did not start" >&2; exit 1; }
base="http://$address"

echo "skyvern-scores on $address, $rows rows; wrk -t$wrk_threads -c$connections -d$duration"
printf '%-16s %12s %12s %10s\n' route "requests/s" "p99 latency" errors
status=0
for route in version world; do
  case "$route" in
    version) url="$base/cgi/version.pl?version&prg=Skyvern" ;;
    world) url="$base/cgi/version.pl?prg=Skyvern&show&type=0" ;;
  esac
  wrk -t"$wrk_threads" -c"$connections" -d"$duration" --latency "$url" >"$work/$route.txt"
  rps="$(awk '/^Requests\/sec:/ {print $2}' "$work/$route.txt")"
  p99="$(awk '$1 == "99%" {print $2}' "$work/$route.txt")"
  errors="$(awk '/Non-2xx|Socket errors/ {sub(/^ +/, ""); printf "%s; ", $0}' "$work/$route.txt")"
  printf '%-16s %12s %12s %10s\n' "$route" "$rps" "$p99" "${errors:-none}"
  [ -z "$errors" ] || status=1
done
exit "$status"
