#!/usr/bin/env bash
# Load benchmark of skyvern-scores on loopback with wrk: the version query, the world page
# (10 000 rows) and submissions (a version query for the token, then the score), for
#   sqlite      one instance on an SQLite file
#   postgresql  two instances on one PostgreSQL database (a server of its own, fsync on),
#               one wrk per instance, figures summed; then the same two instances through
#               the example nginx site (dist/scores) in front of them, one wrk on nginx
#               (row "pg+nginx"), when nginx is installed
# Submissions run with the limit raised by --rate-limit and each from another address behind
# the loopback as trusted proxy. Prints requests per second and the 99th-percentile latency
# per route (for submissions also the accepted ones per second).
# Environment: BUILD_DIR (build), DURATION (10s), CONNECTIONS (32, over all instances),
# WRK_THREADS (1 per wrk), SETUPS ("sqlite postgresql"), INSTANCE_THREADS (4: event loops of
# each instance), INSTANCE_WORKERS (16: threads of each instance that store submissions, each
# with its own database connection; more of them let PostgreSQL commit more submissions with
# one disk flush).
set -euo pipefail
cd "$(dirname "$0")/../.."

build="${BUILD_DIR:-build}"
duration="${DURATION:-10s}"
connections="${CONNECTIONS:-32}"
wrk_threads="${WRK_THREADS:-1}"
instance_threads="${INSTANCE_THREADS:-4}"
instance_workers="${INSTANCE_WORKERS:-16}"
setups="${SETUPS:-sqlite postgresql}"
rows=10000

if ! command -v wrk >/dev/null; then
  echo "wrk is missing: apt-get install wrk" >&2
  exit 1
fi
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target skyvern-scores scores_seed >/dev/null

work="$(mktemp -d)"
server_pids=()
pg_state=""
stop_servers() {
  for pid in "${server_pids[@]}"; do
    kill -TERM "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  server_pids=()
}
nginx_pid=""
stop_nginx() {
  if [ -n "$nginx_pid" ]; then
    kill -QUIT "$nginx_pid" 2>/dev/null || true
    for _ in $(seq 100); do kill -0 "$nginx_pid" 2>/dev/null || break; sleep 0.05; done
    nginx_pid=""
  fi
}
cleanup() {
  stop_nginx
  stop_servers
  [ -z "$pg_state" ] || SKYVERN_PG_DURABLE=1 tests/server/postgres.sh stop "$pg_state" || true
  rm -rf "$work"
}
trap cleanup EXIT

# start_instance DB [OPTIONS...]: starts one instance and adds its address to `addresses`
# (not in a subshell, so that the instance is remembered and stopped).
start_instance() {
  local db="$1" out
  shift
  out="$work/server-${#server_pids[@]}.out"
  "$build/bin/skyvern-scores" --listen 127.0.0.1:0 --db "$db" --create-db --trusted-proxy 127.0.0.1 \
    --rate-limit 1000000000 --threads "$instance_threads" --workers "$instance_workers" "$@" >"$out" 2>"$out.err" &
  server_pids+=($!)
  for _ in $(seq 200); do
    grep -q 'listening on' "$out" 2>/dev/null && break
    sleep 0.05
  done
  local address
  address="$(sed -n 's/.*listening on \(.*\)$/\1/p' "$out")"
  [ -n "$address" ] || { echo "server did not start:" >&2; cat "$out.err" >&2; exit 1; }
  addresses+=("$address")
}

# to_ms VALUE: wrk's latency (us, ms or s) in milliseconds.
to_ms() {
  awk -v v="$1" 'BEGIN {
    n = v + 0
    if (v ~ /us$/) n /= 1000; else if (v ~ /ms$/) n += 0; else if (v ~ /s$/) n *= 1000
    printf "%.2f", n }'
}

free_port() {
  python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# start_nginx ADDRESS1 ADDRESS2: the example site on free loopback ports in front of the two
# instances; sets `nginx_address` to its plain-HTTP address (the game's port 80).
start_nginx() {
  local dir="$work/nginx" http_port https_port
  mkdir -p "$dir"
  chmod 755 "$work" "$dir"
  http_port="$(free_port)"
  https_port="$(free_port)"
  openssl req -x509 -newkey rsa:2048 -nodes -keyout "$dir/key.pem" -out "$dir/cert.pem" \
    -days 2 -subj /CN=localhost 2>/dev/null
  # The example as it stands but for addresses, ports, certificate and paths. One change: the
  # example replaces X-Forwarded-For with the peer, which here is always the loopback; the
  # benchmark's players each bring their own, as real ones behind the front each have one.
  sed -e "s#server 127.0.0.1:8642 #server $1 #" -e "s#server 127.0.0.1:8643 #server $2 #" \
      -e "s#listen 80;#listen 127.0.0.1:$http_port;#" -e "/listen \[::\]:80;/d" \
      -e "s#listen 443 ssl#listen 127.0.0.1:$https_port ssl#" -e "/listen \[::\]:443/d" \
      -e "s#/etc/ssl/certs/ssl-cert-snakeoil.pem#$dir/cert.pem#" \
      -e "s#/etc/ssl/private/ssl-cert-snakeoil.key#$dir/key.pem#" \
      -e "s#/etc/nginx/skyvern-scores-proxy.conf#$dir/proxy.conf#" \
      dist/scores/skyvern-scores.nginx >"$dir/site.conf"
  sed -e 's#X-Forwarded-For $remote_addr#X-Forwarded-For $http_x_forwarded_for#' \
      dist/scores/skyvern-scores-proxy.conf >"$dir/proxy.conf"
  cat >"$dir/nginx.conf" <<CONF
worker_processes 2;
pid $dir/nginx.pid;
error_log $dir/error.log;
events { worker_connections 4096; }
http {
    access_log off;
    client_body_temp_path $dir/body;
    proxy_temp_path $dir/proxy;
    include $dir/site.conf;
}
CONF
  nginx -p "$dir" -e "$dir/error.log" -c "$dir/nginx.conf"
  for _ in $(seq 100); do
    [ -s "$dir/nginx.pid" ] && break
    sleep 0.05
  done
  nginx_pid="$(cat "$dir/nginx.pid")"
  nginx_address="127.0.0.1:$http_port"
}

status=0
# run_route SETUP ROUTE ADDRESS...: one wrk per address at the same time, figures summed.
run_route() {
  local setup="$1" route="$2"
  shift 2
  local per=$((connections / $#)) i=0 files=() wrks=()
  for address in "$@"; do
    local file="$work/$setup-$route-$i.txt" args=()
    case "$route" in
      version) args=("http://$address/cgi/version.pl?version&prg=Skyvern") ;;
      world) args=("http://$address/cgi/version.pl?prg=Skyvern&show&type=0") ;;
      submit) args=(-s bench/scores/submit.lua "http://$address/") ;;
    esac
    wrk -t"$wrk_threads" -c"$per" -d"$duration" --timeout 5s --latency "${args[@]}" >"$file" &
    wrks+=($!)
    files+=("$file")
    i=$((i + 1))
  done
  wait "${wrks[@]}"
  local rps=0 p99=0 errors="" accepted="" ok=0 seconds=0
  for file in "${files[@]}"; do
    rps="$(awk -v a="$rps" '/^Requests\/sec:/ {printf "%.0f", a + $2}' "$file")"
    local one
    one="$(to_ms "$(awk '$1 == "99%" {print $2}' "$file")")"
    p99="$(awk -v a="$p99" -v b="$one" 'BEGIN {print (b > a ? b : a)}')"
    errors+="$(awk '/Non-2xx|Socket errors/ {sub(/^ +/, ""); printf "%s; ", $0}' "$file")"
    if [ "$route" = submit ]; then
      ok=$((ok + $(awk '/^accepted/ {print $2}' "$file")))
      errors+="$(awk '/^accepted/ && $4 > 0 {printf "%d refused; ", $4}' "$file")"
      seconds="$(awk -v a="$seconds" '/^accepted/ {print ($6 > a ? $6 : a)}' "$file")"
    fi
  done
  [ "$route" != submit ] || accepted="$(awk -v n="$ok" -v s="$seconds" 'BEGIN {printf "%.0f", n / s}')"
  printf '%-11s %-8s %12s %10s ms %14s  %s\n' "$setup" "$route" "$rps" "$p99" \
    "${accepted:--}" "${errors:-no errors}"
  [ -z "$errors" ] || status=1
}

echo "skyvern-scores on loopback, $rows rows; wrk -t$wrk_threads, $connections connections in all, $duration per route"
printf '%-11s %-8s %12s %13s %14s  %s\n' setup route "requests/s" "p99" "accepted/s" errors
for setup in $setups; do
  addresses=()
  case "$setup" in
    sqlite)
      "$build/bin/scores_seed" "$work/bench.db" "$rows" >/dev/null
      start_instance "$work/bench.db"
      ;;
    postgresql)
      pg_state="$work/postgres.state"
      SKYVERN_PG_DURABLE=1 tests/server/postgres.sh start "$pg_state"
      uri="postgresql:///postgres?host=$(cat "$pg_state")&user=skyvern"
      "$build/bin/scores_seed" "$uri" "$rows" >/dev/null
      start_instance "$uri"
      start_instance "$uri"
      ;;
    *) echo "unknown setup $setup" >&2; exit 2 ;;
  esac
  for route in version world submit; do
    run_route "$setup" "$route" "${addresses[@]}"
  done
  # The same instances through the real front, in the same run.
  if [ "$setup" = postgresql ] && command -v nginx >/dev/null && command -v openssl >/dev/null; then
    start_nginx "${addresses[0]}" "${addresses[1]}"
    for route in version world submit; do
      run_route pg+nginx "$route" "$nginx_address"
    done
    stop_nginx
  fi
  stop_servers
  if [ -n "$pg_state" ]; then
    SKYVERN_PG_DURABLE=1 tests/server/postgres.sh stop "$pg_state"
    pg_state=""
  fi
done
exit "$status"
