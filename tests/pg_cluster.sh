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
  # Set up as on a shared database: a superuser creates the roles (tabel_client
  # and the plain login sys), an ordinary owner role owns the database and
  # loads the schema, which grants tabel_client what the program may do.
  psql -d postgres -f "$(dirname "$3")/create_roles.sql"
  psql -d postgres -c "create role erp_owner login password 'erp_owner'"
  psql -d postgres -c "create database tabel_tpl owner erp_owner"
  PGOPTIONS="-c client_min_messages=warning" as_pg "$bin/psql" -h "$dir" -p 5432 -U erp_owner -v ON_ERROR_STOP=1 \
    -q -d tabel_tpl -f "$3" >/dev/null
  # The tests' own fixtures (classifier items, departments, goods with fixed
  # ids, rows removed or reset) are written as sys, so in the template, and
  # the test databases cloned from it, sys may also read and write every
  # table of these schemas directly. test_roles checks the program on a
  # database set up without this.
  psql -d tabel_tpl -c "grant usage on schema accounts_dep, cmn_contractor, cmn_classifier, cmn_gds_and_srv,
      hrms_staffpos, cmn_department, adm_role to sys" \
    -c "grant select, insert, update, delete on all tables in schema accounts_dep, cmn_contractor,
      cmn_classifier, cmn_gds_and_srv, hrms_staffpos, cmn_department, adm_role to sys" \
    -c "grant usage, select on all sequences in schema accounts_dep, cmn_contractor, cmn_classifier,
      cmn_gds_and_srv, hrms_staffpos, cmn_department, adm_role to sys"
  psql -d tabel_tpl -c "update pg_database set datistemplate = true where datname = 'tabel_tpl'"
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
