#!/usr/bin/env bash
# Timesheet benchmark on the large shop: starts a private cluster, builds the
# large database (gen_large.sql, then gen_fatigue.sql for the maintenance
# works) and runs bench_timesheets on the last complete month. KEEP=1 leaves
# the cluster running for a closer look.
#   bench/run_timesheets.sh [build dir] [cluster dir]   (REPS=n to change the repetitions)
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$src/build}")
cluster=$(realpath -m "${2:-$build/benchpg_timesheets}")
reps=${REPS:-5}
bench="$build/bench/bench_timesheets"
[ -x "$bench" ] || { echo "bench_timesheets not built: cmake --build $build --target bench_timesheets" >&2; exit 1; }
bin=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n1)
db=tabel_large

bash "$src/tests/pg_cluster.sh" start "$cluster" "$src/db/schema.sql"
[ "${KEEP:-}" = 1 ] || trap 'bash "$src/tests/pg_cluster.sh" stop "$cluster"' EXIT
addr=$(cat "$cluster/server")
pg() { "$bin/psql" -X -q -h "$addr" -p 5432 -U postgres -v ON_ERROR_STOP=1 "$@"; }

pg -d postgres -c "create database $db template tabel_tpl owner sys"
echo "generating the large shop..."
pg -d "$db" -f "$src/bench/gen_large.sql"
pg -d "$db" -f "$src/bench/gen_fatigue.sql"
"$bench" --db "$db" --server "$addr" --reps "$reps"
