#!/usr/bin/env bash
# Journal benchmark on a large shop: starts a private cluster, builds the
# large database with gen_large.sql and times the journal datasets three
# times: with the schema's indexes, with an index on the worker code added,
# and without any of the journal's indexes.
#   bench/run.sh [build dir] [cluster dir]      (REPS=n to change the repetitions)
# The program must be built first (bench_journal is part of the normal build).
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$src/build}")
cluster=$(realpath -m "${2:-$build/benchpg}")
reps=${REPS:-50}
bench="$build/bench/bench_journal"
[ -x "$bench" ] || { echo "bench_journal not built: cmake --build $build --target bench_journal" >&2; exit 1; }
bin=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n1)
db=tabel_large

bash "$src/tests/pg_cluster.sh" start "$cluster" "$src/db/schema.sql"
trap 'bash "$src/tests/pg_cluster.sh" stop "$cluster"' EXIT
addr=$(cat "$cluster/server")
pg() { "$bin/psql" -X -q -h "$addr" -p 5432 -U postgres -v ON_ERROR_STOP=1 "$@"; }

pg -d postgres -c "create database $db template tabel_tpl owner sys"
echo "generating the large shop..."
start=$(date +%s)
pg -d "$db" -f "$src/bench/gen_large.sql"
pg -d "$db" -At -F ' ' -c "select count(*) || ' entries from ' || min(data) || ' to ' || max(data) || ', '
    || count(distinct w_id) || ' workers' from accounts_dep.smena"
echo "generated in $(( $(date +%s) - start )) s"

# The latest working day that has entries.
date=$(pg -d "$db" -At -c "select max(data) from accounts_dep.smena where extract(isodow from data) < 6
                             and data in (select data from accounts_dep.smena group by data having count(*) > 100)")

run() {
  echo
  echo "== $1"
  "$bench" --db "$db" --server "$addr" --date "$date" --reps "$reps"
}
run "with the schema's indexes"

# The optional index on the enterprise persons' codes (db/person_code_index.sql).
pg -d "$db" -f "$src/db/person_code_index.sql" -c "analyze cmn_contractor.person"
run "with an index on cmn_contractor.person (s_code::t_id) added"
pg -d "$db" -c "drop index cmn_contractor.person_s_code_t_id" -c "analyze cmn_contractor.person"

pg -d "$db" -c "drop index accounts_dep.smena_data_smena, accounts_dep.smena_w_id_data,
                  accounts_dep.smena_i_id, accounts_dep.smena_o_id, accounts_dep.oper_i_id,
                  accounts_dep.norm_o_id, accounts_dep.person_fio" -c "analyze"
run "without any of the journal's indexes (also smena_data_smena, smena_w_id_data, smena_i_id, smena_o_id, oper_i_id, norm_o_id, person_fio)"
