-- The roles of Tabel: a superuser's step (or a role with CREATEROLE).
--
-- Roles belong to the whole PostgreSQL server, not to one database, so the
-- owner of the program's tables cannot create them. This script creates,
-- where missing:
--   tabel_client  a group role without login: what the program may do in its
--                 database is granted to it (db/roles.sql, the owner's step);
--   sys           the program's login (the program connects as sys with its
--                 built-in password), a plain login role;
-- and makes the login a member of tabel_client. It grants nothing on any
-- table. A login that already exists keeps its password and loses only the
-- attributes a plain login does not have (superuser, creating roles or
-- databases, replication, bypassing row security).
--
-- The administrator may instead create the same roles by hand:
--   create role tabel_client nologin;
--   create role sys login password '...';
--   grant tabel_client to sys;
--
--   psql -d postgres -f db/create_roles.sql
--   psql -d postgres -v login=NAME -f db/create_roles.sql   another, existing login

\set ON_ERROR_STOP on
\if :{?login}
\else
\set login sys
\endif
select set_config('tabel.login', :'login', false) \gset tabel_

do $$
declare
  login text := current_setting('tabel.login');
begin
  if not exists (select 1 from pg_roles where rolname = 'tabel_client') then
    create role tabel_client nologin;
  end if;
  if not exists (select 1 from pg_roles where rolname = login) then
    if login <> 'sys' then
      raise exception 'login role % does not exist: create it first', login;
    end if;
    create role sys login password 'wompvlk';
  end if;
  if exists (select 1 from pg_roles where rolname = login
              and (rolsuper or rolcreaterole or rolcreatedb or rolreplication or rolbypassrls)) then
    execute format('alter role %I nosuperuser nocreaterole nocreatedb noreplication nobypassrls', login);
    raise notice 'login role % made a plain login', login;
  end if;
end $$;

grant tabel_client to :"login";
