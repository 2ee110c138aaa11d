-- Least-privilege access for Tabel on a shared enterprise database.
--
-- Creates the group role tabel_client holding exactly what the program reads
-- and writes, and makes the program's login role a member of it:
--   * its own schema accounts_dep: every table and sequence, read and write
--     (also tables created there later by the role running this script);
--   * enterprise persons cmn_contractor.person: the columns id, s_caption and
--     s_code, read and written (the worker list keeps them in step with
--     accounts_dep.person), and its id sequence;
--   * goods catalogue cmn_gds_and_srv.gds_and_srv: the columns the product
--     editor writes, read, inserted, updated and deleted, and its id sequence;
--   * classifier cmn_classifier.item, departments, staff positions and roles:
--     read only.
-- Nothing else of the enterprise schemas is granted.
--
-- Run as the owner of the tables (or a superuser) after db/schema.sql, and
-- again after each run of db/schema.sql (which grants the login role sys
-- everything in these schemas):
--   psql -d DATABASE -f db/roles.sql                  the login role sys
--   psql -d DATABASE -v login=NAME -f db/roles.sql    another login role
-- The login role loses its direct grants on these schemas and keeps only
-- what tabel_client holds. A login role that owns the tables keeps an
-- owner's rights: let another role own them.

\set ON_ERROR_STOP on
\if :{?login}
\else
\set login sys
\endif

do $$ begin
  if not exists (select 1 from pg_roles where rolname = 'tabel_client') then
    create role tabel_client nologin;
  end if;
end $$;

-- The program's own schema.
grant usage on schema accounts_dep to tabel_client;
grant select, insert, update, delete on all tables in schema accounts_dep to tabel_client;
grant usage, select, update on all sequences in schema accounts_dep to tabel_client;
alter default privileges in schema accounts_dep grant select, insert, update, delete on tables to tabel_client;
alter default privileges in schema accounts_dep grant usage, select, update on sequences to tabel_client;

-- Enterprise persons: written through accounts_dep.person's trigger.
grant usage on schema cmn_contractor to tabel_client;
grant select (id, s_caption, s_code), insert (id, s_caption, s_code), update (id, s_caption, s_code)
  on cmn_contractor.person to tabel_client;
grant delete on cmn_contractor.person to tabel_client;
grant usage, select on sequence cmn_contractor.person_id_seq to tabel_client;

-- Goods catalogue: the products (read through the view accounts_dep.izdel).
grant usage on schema cmn_gds_and_srv to tabel_client;
grant select (id, s_caption, s_description, id_msm_bs, massa, id_class_item),
      insert (s_caption, s_description, id_msm_bs, massa, id_class_item),
      update (s_caption, s_description, id_msm_bs, massa, id_class_item)
  on cmn_gds_and_srv.gds_and_srv to tabel_client;
grant delete on cmn_gds_and_srv.gds_and_srv to tabel_client;
grant usage, select on sequence cmn_gds_and_srv.gds_and_srv_id_seq to tabel_client;

-- Read only: nomenclature groups, and the worker editor's drop-down lists.
grant usage on schema cmn_classifier, cmn_department, hrms_staffpos, adm_role to tabel_client;
grant select on cmn_classifier.item, cmn_department.department, hrms_staffpos.staffpos, adm_role.roles
  to tabel_client;

-- The login role: only through tabel_client.
revoke all on all tables in schema accounts_dep, cmn_contractor, cmn_classifier, cmn_gds_and_srv,
  hrms_staffpos, cmn_department, adm_role from :"login";
revoke all on all sequences in schema accounts_dep, cmn_contractor, cmn_classifier, cmn_gds_and_srv,
  hrms_staffpos, cmn_department, adm_role from :"login";
revoke all on schema accounts_dep, cmn_contractor, cmn_classifier, cmn_gds_and_srv, hrms_staffpos,
  cmn_department, adm_role from :"login";
grant tabel_client to :"login";

-- Change history and closed months: the history is read, never written
-- directly (its rows come from the triggers, which run as their owner),
-- never changed or deleted.
revoke all on accounts_dep.change_log from tabel_client, :"login";
grant select on accounts_dep.change_log to tabel_client;
revoke all on sequence accounts_dep.change_log_id_seq from tabel_client, :"login";
grant select, insert, delete on accounts_dep.closed_month to tabel_client;
revoke update, truncate on accounts_dep.closed_month from tabel_client;
