#!/usr/bin/env bash
# One benchmark table on a large shop: starts a private cluster, builds the
# large database once (gen_large.sql, then the maintenance works of
# gen_fatigue.sql), runs every built bench/bench_* program and, for each
# operation, the same queries straight through libpq with pgbench as the
# floor. Prints one table: operation, the program's median ms, the floor's
# mean ms per run, and their ratio. Reports and workbooks also have floors
# the bench programs measure themselves (bench/OutputFloors.h): the pages
# drawn by a bare drawText loop into QPdfWriter, the cells written through
# libxlsxwriter alone.
#   bench/run.sh [build dir] [cluster dir]      (REPS=n, default 20)
# The date measured is the last full working day of the last complete month
# in the journal, so monthly work covers a whole month. A floor runs REPS
# times, or fewer (at least 3) where that would take over 10 s.
# The bench programs are part of the normal build. Their convention (command
# line, BENCH lines, the floor files' pgbench variables) is in
# bench/BenchCommon.h.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$src/build}")
cluster=$(realpath -m "${2:-$build/benchpg}")
reps=${REPS:-20}
bin=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n1)
db=tabel_large
shopt -s nullglob
benches=()
for b in "$build"/bench/bench_*; do [ -x "$b" ] && [ -f "$b" ] && benches+=("$b"); done
[ ${#benches[@]} -gt 0 ] || { echo "no bench programs in $build/bench: build first (bash scripts/build.sh)" >&2; exit 1; }

bash "$src/tests/pg_cluster.sh" start "$cluster" "$src/db/schema.sql" >&2
trap 'bash "$src/tests/pg_cluster.sh" stop "$cluster"' EXIT
addr=$(cat "$cluster/server")
pg() { "$bin/psql" -X -q -h "$addr" -p 5432 -U postgres -v ON_ERROR_STOP=1 "$@"; }

pg -d postgres -c "create database $db template tabel_tpl owner sys"
echo "generating the large shop..." >&2
start=$(date +%s)
pg -d "$db" -f "$src/bench/gen_large.sql"
pg -d "$db" -f "$src/bench/gen_fatigue.sql"
pg -d "$db" -c "analyze"
pg -d "$db" -At -F ' ' -c "select count(*) || ' entries from ' || min(data) || ' to ' || max(data) || ', '
    || count(distinct w_id) || ' workers' from accounts_dep.smena" >&2
echo "generated in $(( $(date +%s) - start )) s" >&2

# The latest working day with a full journal in the last complete month.
date=$(pg -d "$db" -At -c "select max(data) from accounts_dep.smena where extract(isodow from data) < 6
                             and data < date_trunc('month', (select max(data) from accounts_dep.smena))
                             and data in (select data from accounts_dep.smena group by data having count(*) > 100)")

# pgbench variables of the floor files.
vars=(-D "date=$date" -D "dmy=$(date -d "$date" +%d.%m.%Y)" -D "day=$(date -d "$date" +%-d)"
      -D "month=$(date -d "$date" +%-m)" -D "year=$(date -d "$date" +%Y)" -D "nextyear=$(( $(date -d "$date" +%Y) + 1 ))"
      -D "first=$(date -d "$date" +%Y-%m-01)" -D "next=$(date -d "$(date -d "$date" +%Y-%m-01) +1 month" +%Y-%m-%d)")
while IFS='=' read -r k v; do vars+=(-D "$k=$v"); done \
  < <("$build/bench/bench_journal" --db "$db" --server "$addr" --date "$date" --sample)

# The floors run under the program's session settings (data/Connection.cpp).
export PGOPTIONS="-c jit=off -c DateStyle=ISO,DMY"

lines=$(mktemp)
trap 'rm -f "$lines"; bash "$src/tests/pg_cluster.sh" stop "$cluster"' EXIT
for b in "${benches[@]}"; do
  echo "running $(basename "$b")..." >&2
  "$b" --db "$db" --server "$addr" --reps "$reps" --date "$date" | grep -P '^BENCH\t' >> "$lines" || {
    echo "$(basename "$b") failed" >&2; exit 1; }
done

echo
echo "Large shop, date $date, $reps repetitions; floor = the same queries through libpq (pgbench -n)"
printf '%-40s %12s %12s %8s\n' "operation" "program ms" "floor ms" "ratio"
while IFS=$'\t' read -r _ name ms floor; do
  if [ "$floor" = "-" ]; then
    printf '%-40s %12.2f %12s %8s\n' "$name" "$ms" "-" "-"
    continue
  fi
  if [ "${floor:0:1}" = "=" ]; then # measured by the program itself (bench/OutputFloors.h)
    fl=${floor:1}
    ratio=$(awk -v a="$ms" -v b="$fl" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }')
    printf '%-40s %12.2f %12.2f %8s\n' "$name" "$ms" "$fl" "$ratio"
    continue
  fi
  runs=$(awk -v r="$reps" -v ms="$ms" 'BEGIN { n = r; if (ms * r > 10000) n = int(10000 / ms); if (n < 3) n = 3; print n }')
  out=$("$bin/pgbench" -n -h "$addr" -p 5432 -U sys -t "$runs" "${vars[@]}" -f "$src/bench/$floor" "$db" 2>&1) || {
    echo "pgbench failed on $floor:" >&2; echo "$out" >&2; exit 1; }
  fl=$(sed -n 's/^latency average = \([0-9.]*\) ms$/\1/p' <<<"$out")
  ratio=$(awk -v a="$ms" -v b="$fl" 'BEGIN { if (b > 0) printf "%.1f", a / b; else print "-" }')
  printf '%-40s %12.2f %12.2f %8s\n' "$name" "$ms" "$fl" "$ratio"
done < "$lines"
