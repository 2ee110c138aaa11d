#!/usr/bin/env bash
# Upgrading keeps data. A database of the previous release (its schema and
# its demo shop, tests/data/*_1.0.0.sql) is brought up to date by today's
# db/schema.sql, run twice, as an administrator would:
#  - every table of the old database keeps every row, in the columns it had
#    (columns added since are left aside);
#  - the second run changes no row of any table (the schema is idempotent);
#  - the upgraded database has the same tables, columns, constraints,
#    indexes, triggers and functions as one made from today's schema alone
#    (the test cluster's template).
#   upgrade_test.sh <build dir> <cluster dir>
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
cluster=$(realpath "$2")
addr=$(cat "$cluster/server")
db=upgrade_check
fail() { echo "FAIL: $*" >&2; exit 1; }
command -v psql >/dev/null || fail "missing psql"

pg() { psql -h "$addr" -p 5432 -U postgres -X -v ON_ERROR_STOP=1 -q "$@"; }
work=$(mktemp -d)
trap 'rm -rf "$work"; pg -d postgres -c "drop database if exists $db with (force)" >/dev/null 2>&1' EXIT

pg -d postgres -c "drop database if exists $db with (force)" >/dev/null 2>&1
pg -d postgres -c "create database $db owner sys" || exit 1
pg -d "$db" -f "$here/data/schema_1.0.0.sql" >"$work/old_schema.log" 2>&1 \
  || { cat "$work/old_schema.log" >&2; fail "the previous release's schema does not load"; }
pg -d "$db" -f "$here/data/demo_1.0.0.sql" >"$work/old_demo.log" 2>&1 \
  || { cat "$work/old_demo.log" >&2; fail "the previous release's demo shop does not load"; }
for t in accounts_dep.person accounts_dep.smena accounts_dep.h_tabel accounts_dep.fatigue accounts_dep.norm; do
  n=$(pg -d "$db" -tA -c "select count(*) from $t") || exit 1
  [ "$n" -gt 0 ] || fail "the old demo shop left $t empty"
done

# The tables of the database (every schema but the system's), one line
# each: schema.table, then its columns in order, tab-separated.
tables() {
  pg -d "$1" -tA -F $'\t' -c "
    select format('%I.%I', n.nspname, c.relname),
           string_agg(quote_ident(a.attname), ',' order by a.attnum)
      from pg_class c
      join pg_namespace n on n.oid = c.relnamespace
      join pg_attribute a on a.attrelid = c.oid and a.attnum > 0 and not a.attisdropped
     where c.relkind in ('r', 'p')
       and n.nspname not in ('pg_catalog', 'information_schema', 'pg_toast')
       and n.nspname not like 'pg_temp%'
     group by n.nspname, c.relname
     order by 1"
}
# Writes each listed table's rows, in the listed columns, sorted, to DIR/<table>.
dump() {
  local list=$1 dir=$2 table cols
  mkdir -p "$dir"
  while IFS=$'\t' read -r table cols; do
    pg -d "$db" -c "\\copy (select $cols from $table) to '$dir/$table.raw'" \
      || fail "cannot read $table ($cols) after the upgrade"
    LC_ALL=C sort "$dir/$table.raw" >"$dir/$table"
    rm -f "$dir/$table.raw"
  done <"$list"
}

tables "$db" >"$work/old_tables" || exit 1
dump "$work/old_tables" "$work/before"

for run in 1 2; do
  pg -d "$db" -f "$here/../db/schema.sql" >"$work/upgrade$run.log" 2>&1 \
    || { cat "$work/upgrade$run.log" >&2; fail "today's schema.sql fails on the old database (run $run)"; }
  if [ $run = 1 ]; then
    tables "$db" >"$work/new_tables" || exit 1
    dump "$work/new_tables" "$work/first"
  fi
done

dump "$work/old_tables" "$work/after"
while IFS=$'\t' read -r table cols; do
  if ! cmp -s "$work/before/$table" "$work/after/$table"; then
    diff "$work/before/$table" "$work/after/$table" | head -n 20 >&2
    fail "$table: rows changed by the upgrade ($(wc -l <"$work/before/$table") rows before, $(wc -l <"$work/after/$table") after)"
  fi
done <"$work/old_tables"
echo "ok: $(wc -l <"$work/old_tables") tables of the previous release keep their $(cat "$work"/before/* | wc -l) rows"

dump "$work/new_tables" "$work/second"
while IFS=$'\t' read -r table cols; do
  if ! cmp -s "$work/first/$table" "$work/second/$table"; then
    diff "$work/first/$table" "$work/second/$table" | head -n 20 >&2
    fail "$table: a second run of schema.sql changed rows"
  fi
done <"$work/new_tables"
echo "ok: a second run of schema.sql changes no row"

# The structure, as text lines that do not depend on object ids or on the
# order in which columns were added.
structure() {
  pg -d "$1" -tA -c "
    with s as (
      select n.oid, n.nspname from pg_namespace n
       where n.nspname not in ('pg_catalog', 'information_schema', 'pg_toast')
         and n.nspname not like 'pg_temp%' and n.nspname not like 'pg_toast_temp%')
    select 'relation ' || s.nspname || '.' || c.relname || ' ' || c.relkind::text
      from pg_class c join s on s.oid = c.relnamespace
     where c.relkind in ('r', 'p', 'v', 'm', 'S')
    union all
    select 'column ' || s.nspname || '.' || c.relname || '.' || a.attname || ' '
           || format_type(a.atttypid, a.atttypmod) || case when a.attnotnull then ' not null' else '' end
           || coalesce(' default ' || pg_get_expr(d.adbin, d.adrelid), '')
      from pg_attribute a
      join pg_class c on c.oid = a.attrelid and c.relkind in ('r', 'p', 'v', 'm')
      join s on s.oid = c.relnamespace
      left join pg_attrdef d on d.adrelid = a.attrelid and d.adnum = a.attnum
     where a.attnum > 0 and not a.attisdropped
    union all
    select 'constraint ' || s.nspname || '.' || c.relname || ' ' || k.conname || ' ' || pg_get_constraintdef(k.oid)
      from pg_constraint k join pg_class c on c.oid = k.conrelid join s on s.oid = c.relnamespace
    union all
    select 'index ' || pg_get_indexdef(i.indexrelid)
      from pg_index i join pg_class c on c.oid = i.indexrelid join s on s.oid = c.relnamespace
    union all
    select 'trigger ' || pg_get_triggerdef(t.oid) || ' ' || t.tgenabled::text
      from pg_trigger t join pg_class c on c.oid = t.tgrelid join s on s.oid = c.relnamespace
     where not t.tgisinternal
    union all
    select 'function ' || s.nspname || '.' || p.proname || '(' || pg_get_function_identity_arguments(p.oid) || ') '
           || md5(p.prosrc)
      from pg_proc p join s on s.oid = p.pronamespace
    union all
    select 'view ' || s.nspname || '.' || c.relname || ' ' || md5(pg_get_viewdef(c.oid))
      from pg_class c join s on s.oid = c.relnamespace
     where c.relkind in ('v', 'm')" | LC_ALL=C sort
}
structure tabel_tpl >"$work/fresh.struct" || exit 1
structure "$db" >"$work/upgraded.struct" || exit 1
if ! cmp -s "$work/fresh.struct" "$work/upgraded.struct"; then
  echo "--- made by today's schema alone / +++ upgraded from the previous release" >&2
  diff -u "$work/fresh.struct" "$work/upgraded.struct" | grep '^[-+][^-+]' | head -n 40 >&2
  fail "the upgraded database differs in structure from a new one"
fi
echo "ok: the upgraded database has the structure of a new one ($(wc -l <"$work/fresh.struct") objects)"
