#!/usr/bin/env bash
# Prepares the demo database mill_erp on 127.0.0.1:5432, the program's fixed
# port. When a PostgreSQL server already answers there, the roles sys,
# tabel_client and erp_owner and the database mill_erp are created in it
# (nothing else is touched); otherwise a
# private cluster is started in ./demo-cluster. Running it again reuses the
# existing mill_erp: the schema is brought up to date and the demo data is
# loaded only into a database that has none. Nothing is ever dropped.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bin=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n1)
as_pg() { if [ "$(id -u)" = 0 ]; then runuser -u postgres -- "$@"; else sudo -u postgres "$@"; fi; }

answers() { "$bin/pg_isready" -q -h 127.0.0.1 -p 5432 -t 3; }

psql_super=()
if answers; then
  echo "A PostgreSQL server answers on 127.0.0.1:5432: using it."
  if [ -f "$root/demo-cluster/data/postmaster.pid" ] && as_pg "$bin/pg_ctl" -D "$root/demo-cluster/data" status >/dev/null 2>&1; then
    psql_super=(as_pg "$bin/psql" -h "$root/demo-cluster" -p 5432 -U postgres)
  else
    # The machine's own server: its superuser through the local socket.
    sock=$(ls -d /var/run/postgresql 2>/dev/null || echo /tmp)
    psql_super=(as_pg "$bin/psql" -h "$sock" -p 5432 -U postgres)
  fi
else
  echo "No server on 127.0.0.1:5432: starting a private cluster in $root/demo-cluster."
  mkdir -p "$root/demo-cluster"
  [ "$(id -u)" = 0 ] && chown postgres: "$root/demo-cluster"
  if [ ! -f "$root/demo-cluster/data/PG_VERSION" ]; then
    as_pg "$bin/initdb" -D "$root/demo-cluster/data" -U postgres --auth-local=trust --auth-host=scram-sha-256 \
      -E UTF8 --locale=C.UTF-8 >"$root/demo-cluster/initdb.log"
  fi
  as_pg "$bin/pg_ctl" -D "$root/demo-cluster/data" -l "$root/demo-cluster/server.log" -w -t 60 start -o \
    "-c listen_addresses=127.0.0.1 -c port=5432 -c unix_socket_directories='$root/demo-cluster'" >/dev/null
  psql_super=(as_pg "$bin/psql" -h "$root/demo-cluster" -p 5432 -U postgres)
fi

sq() { PGOPTIONS="-c client_min_messages=warning" "${psql_super[@]}" -v ON_ERROR_STOP=1 -q "$@"; }
# The superuser's step: the roles tabel_client and sys (db/create_roles.sql),
# and the ordinary role erp_owner that owns the demo database and its tables.
sq -d postgres -f db/create_roles.sql >/dev/null
sq -d postgres -c "do \$\$ begin if not exists (select 1 from pg_roles where rolname='erp_owner') then create role erp_owner nologin; end if; end \$\$;"
if [ "$(sq -d postgres -tAc "select 1 from pg_database where datname='mill_erp'")" != 1 ]; then
  sq -d postgres -c "create database mill_erp owner erp_owner"
  echo "Created database mill_erp."
else
  echo "Database mill_erp exists: keeping its data."
  # Earlier versions of this script gave the database to sys; the program's
  # login owns nothing now.
  if [ "$(sq -d postgres -tAc "select pg_get_userbyid(datdba) from pg_database where datname='mill_erp'")" = sys ]; then
    sq -d postgres -c "alter database mill_erp owner to erp_owner"
  fi
fi
# The owner's step: the schema (which grants tabel_client through
# db/roles.sql) and the demo shop, loaded as the owner of the tables. A
# database made by an earlier version of this script has its tables owned by
# the superuser, who goes on loading it.
owner=$(sq -d mill_erp -tAc "select coalesce((select pg_get_userbyid(nspowner) from pg_namespace where nspname='accounts_dep'), 'erp_owner')")
as_owner=()
[ "$owner" = erp_owner ] && as_owner=(-c "set role erp_owner")
sq -d mill_erp "${as_owner[@]}" -f db/schema.sql >/dev/null
sq -d mill_erp "${as_owner[@]}" -f db/demo.sql >/dev/null
# The demo shop's persons are all workers with numeric codes.
sq -d mill_erp "${as_owner[@]}" -f db/person_code_index.sql >/dev/null
echo "Demo database ready: mill_erp on 127.0.0.1:5432."
