-- What Tabel may touch in its database: the one place that says it.
--
-- Everything the program may do is granted to the group role tabel_client;
-- its login (sys) holds nothing of its own, only the membership given by
-- db/create_roles.sql (a superuser's step, which must have run first).
--
-- Run by the owner of the tables (the role that loaded db/schema.sql; a
-- superuser works too), in the program's database. db/schema.sql applies this
-- file itself at its end, so an upgrade of the schema leaves the grants
-- complete; run it alone after changing it:
--   psql -d DATABASE -f db/roles.sql
--   psql -d DATABASE -v login=NAME -f db/roles.sql     another login than sys
--
-- It fails safe: first it takes away every right that tabel_client and the
-- login hold on the program's schema and the enterprise schemas it uses, then
-- it grants tabel_client exactly the list below. Stopped half-way, the roles
-- hold less than before, never more. Nothing is granted to PUBLIC and no
-- setting of the database is changed.
--
-- What tabel_client ends with:
--   * CONNECT on this database (nothing else of the database: no TEMP, no
--     CREATE);
--   * its own schema accounts_dep: read and write on the journal, timesheets,
--     maintenance works, operations, norms, operation kinds and workers; the
--     version row read, created when missing and claimed (d, t), never
--     deleted; products read through the view izdel; sequences usage only
--     (the ids the columns' defaults take, no setval); EXECUTE on its
--     functions;
--   * cmn_contractor.person: the columns id, s_caption and s_code, read
--     only (the worker list's trigger writes a worker's person with its
--     owner's rights), and usage of its id sequence (a new worker's id);
--   * cmn_gds_and_srv.gds_and_srv: nothing directly; the product editor
--     writes through accounts_dep.product_insert/_update/_delete, which touch
--     only the goods it keeps;
--   * read only: cmn_classifier.item, cmn_department.department,
--     hrms_staffpos.staffpos, adm_role.roles;
--   * usage of the types public.t_id and public.t_integer.
-- Tables added to these schemas later are not granted until they are listed
-- here.

\set ON_ERROR_STOP on
\if :{?login}
\else
\set login sys
\endif
select set_config('tabel.login', :'login', false) \gset tabel_

-- Nothing is changed unless both roles exist.
do $$ begin
  if not exists (select 1 from pg_roles where rolname = 'tabel_client') then
    raise exception 'role tabel_client does not exist: run db/create_roles.sql as a superuser first';
  end if;
  if not exists (select 1 from pg_roles where rolname = current_setting('tabel.login')) then
    raise exception 'login role % does not exist: run db/create_roles.sql as a superuser first',
      current_setting('tabel.login');
  end if;
end $$;

------------------------------------------------------------------------------
-- First take everything away: the login's own grants (earlier versions of
-- db/schema.sql gave it read and write on every table of these schemas) and
-- whatever tabel_client held, also default privileges that granted it the
-- tables created later in accounts_dep.
------------------------------------------------------------------------------
do $$
declare
  login text := current_setting('tabel.login');
  schemas text[] := array['accounts_dep', 'cmn_contractor', 'cmn_classifier', 'cmn_gds_and_srv',
                          'hrms_staffpos', 'cmn_department', 'adm_role'];
  r record;
begin
  for r in
    select c.oid::regclass as obj, c.relkind
      from pg_class c join pg_namespace n on n.oid = c.relnamespace
     where n.nspname = any (schemas) and c.relkind in ('r', 'p', 'v', 'm', 'f', 'S')
       and pg_has_role(c.relowner, 'USAGE')
  loop
    -- Also takes away the grants on single columns.
    execute format('revoke all on %s %s from tabel_client, %I',
                   case when r.relkind = 'S' then 'sequence' else 'table' end, r.obj, login);
  end loop;
  for r in
    select p.oid::regprocedure as obj
      from pg_proc p join pg_namespace n on n.oid = p.pronamespace
     where n.nspname = 'accounts_dep' and p.prokind = 'f' and pg_has_role(p.proowner, 'USAGE')
  loop
    execute format('revoke all on function %s from public, tabel_client, %I', r.obj, login);
  end loop;
  for r in
    select n.nspname from pg_namespace n
     where n.nspname = any (schemas) and pg_has_role(n.nspowner, 'USAGE')
  loop
    execute format('revoke all on schema %I from tabel_client, %I', r.nspname, login);
  end loop;
  for r in
    select d.defaclrole::regrole as owner
      from pg_default_acl d
     where d.defaclnamespace = 'accounts_dep'::regnamespace and pg_has_role(d.defaclrole, 'USAGE')
  loop
    execute format('alter default privileges for role %s in schema accounts_dep '
                   'revoke all on tables from tabel_client, %I', r.owner, login);
    execute format('alter default privileges for role %s in schema accounts_dep '
                   'revoke all on sequences from tabel_client, %I', r.owner, login);
    execute format('alter default privileges for role %s in schema accounts_dep '
                   'revoke all on functions from tabel_client, %I', r.owner, login);
  end loop;
end $$;

------------------------------------------------------------------------------
-- Then grant tabel_client what the program does.
------------------------------------------------------------------------------
-- Connecting to this database, whether or not PUBLIC keeps that right. Only
-- the database's owner (or a superuser) can grant it; otherwise the
-- administrator does.
do $$ begin
  if exists (select 1 from pg_database where datname = current_database() and pg_has_role(datdba, 'USAGE')) then
    execute format('grant connect on database %I to tabel_client', current_database());
  else
    raise notice 'not the owner of database %: grant connect on it to tabel_client as its owner',
      current_database();
  end if;
end $$;

-- The program's own schema.
grant usage on schema accounts_dep to tabel_client;
grant select, insert, update, delete on accounts_dep.smena, accounts_dep.h_tabel, accounts_dep.fatigue,
  accounts_dep.oper, accounts_dep.norm, accounts_dep.vid_oper, accounts_dep.person to tabel_client;
-- The version row: read, created when missing, claimed by a newer build.
grant select, insert, update (d, t) on accounts_dep.ver to tabel_client;
-- Products as the program lists them.
grant select on accounts_dep.izdel to tabel_client;
-- The ids the columns' defaults take; usage allows nextval, not setval.
grant usage on all sequences in schema accounts_dep to tabel_client;
grant execute on all functions in schema accounts_dep to tabel_client;

-- Enterprise persons: the name and code the journal, timesheets and reports
-- show. A worker's person is written by the worker list's trigger.
grant usage on schema cmn_contractor to tabel_client;
grant select (id, s_caption, s_code) on cmn_contractor.person to tabel_client;
grant usage on sequence cmn_contractor.person_id_seq to tabel_client;

-- Read only: nomenclature groups, and the worker editor's drop-down lists.
grant usage on schema cmn_classifier, cmn_department, hrms_staffpos, adm_role to tabel_client;
grant select on cmn_classifier.item, cmn_department.department, hrms_staffpos.staffpos, adm_role.roles
  to tabel_client;

-- The types of the worker-code casts, in case PUBLIC loses its usage of them
-- (granted by their owner only).
do $$
declare
  r record;
begin
  for r in
    select t.oid::regtype as typ from pg_type t join pg_namespace n on n.oid = t.typnamespace
     where n.nspname = 'public' and t.typname in ('t_id', 't_integer') and pg_has_role(t.typowner, 'USAGE')
  loop
    execute format('grant usage on type %s to tabel_client', r.typ);
  end loop;
end $$;

-- Change history and closed months: the history is read, never written
-- directly (its rows come from the triggers, which run as their owner),
-- never changed or deleted.
revoke all on accounts_dep.change_log from tabel_client, :"login";
grant select on accounts_dep.change_log to tabel_client;
revoke all on sequence accounts_dep.change_log_id_seq from tabel_client, :"login";
grant select, insert, delete on accounts_dep.closed_month to tabel_client;
revoke update, truncate on accounts_dep.closed_month from tabel_client;
