#!/usr/bin/env bash
# A throw-away PostgreSQL server for the score server's tests.
#   postgres.sh start STATE   initdb into a new temporary folder and start the server there;
#                             the folder's name goes into the file STATE
#   postgres.sh stop STATE    stop that server and remove its folder
# The server listens on no TCP port, only on its socket in that folder, so nothing can clash
# with another server on the machine. Run as root, it runs as the postgres user (or nobody).
# SKYVERN_PG_DURABLE=1 keeps every commit synced to disk (for benchmarks); otherwise the
# server trades durability for speed. Exit 77 when the server programs are not installed.
set -euo pipefail
command="$1"
state="$2"
port=5432

bin="$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1 || true)"
if [ -z "$bin" ] || [ ! -x "$bin/initdb" ] || [ ! -x "$bin/pg_ctl" ]; then
  echo "PostgreSQL server programs not installed (Debian package postgresql)"
  exit 77
fi

owner=""
if [ "$(id -u)" -eq 0 ]; then
  if id postgres >/dev/null 2>&1; then owner=postgres; else owner=nobody; fi
fi
as_owner() {
  if [ -n "$owner" ]; then runuser -u "$owner" -- "$@"; else "$@"; fi
}

case "$command" in
  start)
    dir="$(mktemp -d "${TMPDIR:-/tmp}/skyvern-pg-XXXXXX")"
    [ -z "$owner" ] || chown "$owner" "$dir"
    chmod 700 "$dir"
    if ! as_owner "$bin/initdb" -D "$dir/data" -U skyvern -A trust -E UTF8 --no-sync \
         >"$dir/initdb.log" 2>&1; then
      cat "$dir/initdb.log" >&2
      rm -rf "$dir"
      exit 1
    fi
    # Speed over durability for tests: these servers live for one test run, and the tests kill
    # score server instances, never the database.
    sync="-c fsync=off -c full_page_writes=off"
    [ -z "${SKYVERN_PG_DURABLE:-}" ] || sync="-c fsync=on"
    if ! as_owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
         -o "-k $dir -p $port -c listen_addresses= $sync \
             -c max_connections=300 -c shared_buffers=32MB" start >/dev/null; then
      cat "$dir/server.log" >&2
      rm -rf "$dir"
      exit 1
    fi
    printf '%s\n' "$dir" >"$state"
    ;;
  stop)
    [ -f "$state" ] || exit 0
    dir="$(cat "$state")"
    rm -f "$state"
    case "$dir" in
      */skyvern-pg-*) ;;
      *) echo "not a test server folder: $dir" >&2; exit 1 ;;
    esac
    as_owner "$bin/pg_ctl" -D "$dir/data" -m immediate -w -t 30 stop >/dev/null || true
    rm -rf "$dir"
    ;;
  *)
    echo "usage: postgres.sh start|stop STATE" >&2
    exit 2
    ;;
esac
