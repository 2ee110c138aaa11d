#!/usr/bin/env bash
# Private PostgreSQL 15 cluster for the test run.
#   pg_cluster.sh start DIR SCHEMA.sql   initdb (once), start, load the schema into
#                                        the template database tabel_tpl
#   pg_cluster.sh stop DIR
# The cluster listens on a free loopback address of its own on port 5432 (the
# program's fixed port); the address is written to DIR/server.
set -euo pipefail
cmd=$1
dir=$(realpath -m "$2")
bin=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n1)
as_pg() { if [ "$(id -u)" = 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi; }

case "$cmd" in
start)
  if [ -f "$dir/data/postmaster.pid" ] && as_pg "$bin/pg_ctl" -D "$dir/data" status >/dev/null 2>&1; then
    as_pg "$bin/pg_ctl" -D "$dir/data" stop -m immediate >/dev/null 2>&1 || true
  fi
  rm -rf "$dir"
  mkdir -p "$dir"
  [ "$(id -u)" = 0 ] && chown postgres: "$dir"
  # A loopback address where nothing listens on 5432 yet.
  addr=""
  for i in $(seq 5 250); do
    a="127.0.0.$i"
    if python3 - "$a" <<'PY' 2>/dev/null
import socket, sys
s = socket.socket(); s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
s.bind((sys.argv[1], 5432)); s.close()
PY
    then addr=$a; break; fi
  done
  [ -n "$addr" ] || { echo "no free loopback address" >&2; exit 1; }
  as_pg "$bin/initdb" -D "$dir/data" -U postgres --auth=trust -E UTF8 --locale=C.UTF-8 >"$dir/initdb.log" 2>&1
  as_pg "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 start -o \
    "-c listen_addresses=$addr -c port=5432 -c unix_socket_directories='$dir' -c fsync=off -c full_page_writes=off -c synchronous_commit=off -c max_connections=60 -c autovacuum=off" >/dev/null
  psql() { as_pg "$bin/psql" -h "$dir" -p 5432 -U postgres -v ON_ERROR_STOP=1 -q "$@"; }
  psql -d postgres -c "create role sys login createdb password 'wompvlk'"
  psql -d postgres -c "create database tabel_tpl owner sys"
  psql -d tabel_tpl -f "$3" >/dev/null
  psql -d tabel_tpl -c "alter database tabel_tpl owner to sys" -c "update pg_database set datistemplate = true where datname = 'tabel_tpl'"
  echo "$addr" > "$dir/server"
  echo "test cluster on $addr:5432 in $dir"
  ;;
stop)
  if [ -f "$dir/data/postmaster.pid" ]; then
    as_pg "$bin/pg_ctl" -D "$dir/data" stop -m fast >/dev/null 2>&1 || true
  fi
  ;;
*) echo "usage: $0 start|stop DIR [SCHEMA]" >&2; exit 2 ;;
esac
