#!/usr/bin/env bash
# Soak run: starts a private cluster, and for 8 and then 16 clients makes a
# fresh database and lets the clients save, change and delete overlapping
# journal entries and maintenance-work entries at once (bench/soak.cpp).
# Exits non-zero on any difference.
#   bench/soak.sh [build dir] [cluster dir]     (ROUNDS=n steps per client)
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$src/build}")
cluster=$(realpath -m "${2:-$build/soakpg}")
rounds=${ROUNDS:-400}
soak="$build/bench/soak"
[ -x "$soak" ] || { echo "soak not built: cmake --build $build --target soak" >&2; exit 1; }
bin=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n1)

bash "$src/tests/pg_cluster.sh" start "$cluster" "$src/db/schema.sql"
trap 'bash "$src/tests/pg_cluster.sh" stop "$cluster"' EXIT
addr=$(cat "$cluster/server")
pg() { "$bin/psql" -X -q -h "$addr" -p 5432 -U postgres -v ON_ERROR_STOP=1 "$@"; }

status=0
for clients in 8 16; do
  db=tabel_soak_$clients
  pg -d postgres -c "drop database if exists $db" -c "create database $db template tabel_tpl owner sys"
  echo "== $clients clients"
  "$soak" --db "$db" --server "$addr" --clients "$clients" --rounds "$rounds" || status=1
done
exit $status
