-- Tabel database schema. Idempotent: safe to run on an empty database and
-- again on one that already holds it. Loaded with psql (ON_ERROR_STOP).

create schema if not exists accounts_dep;
create schema if not exists cmn_contractor;
create schema if not exists cmn_classifier;
create schema if not exists cmn_gds_and_srv;
create schema if not exists hrms_staffpos;
create schema if not exists cmn_department;
create schema if not exists adm_role;

-- Worker numbers are stored as text codes in the enterprise person table and
-- compared after a cast to these types.
do $$ begin
  create domain public.t_id as integer;
exception when duplicate_object then null; end $$;
do $$ begin
  create domain public.t_integer as integer;
exception when duplicate_object then null; end $$;

-- Day-first reading of date text ("05.03.2024" is 5 March) for every session.
do $$ begin
  execute format('alter database %I set datestyle = %L', current_database(), 'ISO, DMY');
end $$;
set datestyle = 'ISO, DMY';

------------------------------------------------------------------------------
-- Enterprise tables (shared with other programs)
------------------------------------------------------------------------------
create table if not exists cmn_contractor.person (
  id        serial primary key,
  s_caption varchar(254),
  s_code    varchar(254)
);

create table if not exists cmn_classifier.item (
  id              numeric(15,0) primary key,
  id_classifier   numeric(15,0),
  id_level        numeric(15,0),
  s_code          varchar(254),
  s_caption       varchar(254),
  s_description   varchar(4000),
  b_excluded      varchar(5),
  d_excluded_date date,
  id_parent       numeric(15,0)
);
create sequence if not exists cmn_classifier.item_id_seq start 1000;
alter table cmn_classifier.item alter column id set default nextval('cmn_classifier.item_id_seq');
alter sequence cmn_classifier.item_id_seq owned by cmn_classifier.item.id;

create sequence if not exists cmn_gds_and_srv.gds_and_srv_id_seq start 10000;
create table if not exists cmn_gds_and_srv.gds_and_srv (
  id            numeric(15,0) primary key default nextval('cmn_gds_and_srv.gds_and_srv_id_seq'),
  s_caption     text,
  s_description text,
  id_msm_bs     integer,
  massa         numeric,
  id_class_item numeric(15,0)
);
alter sequence cmn_gds_and_srv.gds_and_srv_id_seq owned by cmn_gds_and_srv.gds_and_srv.id;
create index if not exists gds_and_srv_class_item on cmn_gds_and_srv.gds_and_srv (id_class_item);

create sequence if not exists cmn_department.department_id_seq;
create table if not exists cmn_department.department (
  id            numeric(15,0) primary key default nextval('cmn_department.department_id_seq'),
  id_branch     numeric(15,0),
  s_code        varchar(254),
  s_caption     varchar(254),
  s_description varchar(4000),
  id_parent     numeric(15,0)
);

create sequence if not exists hrms_staffpos.staffpos_id_seq;
create table if not exists hrms_staffpos.staffpos (
  id            numeric(15,0) primary key default nextval('hrms_staffpos.staffpos_id_seq'),
  id_department numeric(15,0),
  s_code        varchar(254),
  s_caption     varchar(254),
  d_begin       date,
  d_end         date,
  s_description varchar(4000)
);

create sequence if not exists adm_role.roles_id_seq;
create table if not exists adm_role.roles (
  id        numeric(15,0) primary key default nextval('adm_role.roles_id_seq'),
  s_name    varchar(30),
  s_caption varchar(254),
  d_begin   date,
  d_end     date,
  b_active  varchar(5)
);

------------------------------------------------------------------------------
-- The program's own tables
------------------------------------------------------------------------------
create table if not exists accounts_dep.smena (
  id            serial primary key,
  w_id          integer,
  i_id          integer,
  o_id          integer,
  kol_vo        integer,
  brak          integer,
  data          date,
  smena         integer,
  cena          double precision,
  color         integer,
  time          integer,
  ok            char(2),
  vvod          timestamp,
  prize         double precision,
  id_doc        numeric(15,0),
  id_doc_item   numeric(15,0),
  f_gds_qty_use double precision,
  id_gds_use    numeric(15,0),
  id_cons_use   numeric(15,0)
);
create index if not exists smena_data_smena on accounts_dep.smena (data, smena);
create index if not exists smena_w_id_data on accounts_dep.smena (w_id, data);
create index if not exists smena_i_id on accounts_dep.smena (i_id);
create index if not exists smena_o_id on accounts_dep.smena (o_id);

create table if not exists accounts_dep.h_tabel (
  id      serial primary key,
  w_id    integer,
  month   smallint,
  year    smallint,
  smena   smallint default 0,
  i_type  integer default 0,
  i_night integer default 0,
  d1 smallint, d2 smallint, d3 smallint, d4 smallint, d5 smallint, d6 smallint,
  d7 smallint, d8 smallint, d9 smallint, d10 smallint, d11 smallint, d12 smallint,
  d13 smallint, d14 smallint, d15 smallint, d16 smallint, d17 smallint, d18 smallint,
  d19 smallint, d20 smallint, d21 smallint, d22 smallint, d23 smallint, d24 smallint,
  d25 smallint, d26 smallint, d27 smallint, d28 smallint, d29 smallint, d30 smallint,
  d31 smallint
);
alter table accounts_dep.h_tabel alter column smena set default 0;
alter table accounts_dep.h_tabel alter column i_type set default 0;
alter table accounts_dep.h_tabel alter column i_night set default 0;
create index if not exists h_tabel_year_month on accounts_dep.h_tabel (year, month, w_id);

create table if not exists accounts_dep.fatigue (
  id        serial primary key,
  id_nom    numeric(15,0),
  id_o      numeric(15,0),
  id_p      numeric(15,0),
  d_date    date,
  i_mnth    integer,
  i_year    integer,
  i_smena   integer,
  cnt       integer,
  price     numeric(15,4),
  i_holiday integer default 0,
  i_night   integer default 0
);
create index if not exists fatigue_d_date on accounts_dep.fatigue (d_date);
create index if not exists fatigue_year_month on accounts_dep.fatigue (i_year, i_mnth);
create index if not exists fatigue_id_p_d_date on accounts_dep.fatigue (id_p, d_date);

create sequence if not exists accounts_dep.oper_id_seq start 10000;
create table if not exists accounts_dep.oper (
  id       integer primary key default nextval('accounts_dep.oper_id_seq'),
  vid      integer,
  naimen   integer,
  i_id     integer,
  cena_new numeric
);
alter sequence accounts_dep.oper_id_seq owned by accounts_dep.oper.id;
create index if not exists oper_i_id on accounts_dep.oper (i_id);

create table if not exists accounts_dep.norm (
  id     serial primary key,
  o_id   integer,
  norma  integer,
  price  double precision,
  prize  integer
);
create index if not exists norm_o_id on accounts_dep.norm (o_id);

create table if not exists accounts_dep.vid_oper (
  id  serial primary key,
  vid char(128)
);

create table if not exists accounts_dep.ver (
  d     integer,
  t     integer,
  delim varchar(255)
);

------------------------------------------------------------------------------
-- Workers: the program's list, kept in step with the enterprise persons.
-- A worker gets an id from the enterprise person sequence, the same id in
-- cmn_contractor.person and that id as its numeric s_code.
------------------------------------------------------------------------------
create table if not exists accounts_dep.person (
  id            integer primary key default nextval('cmn_contractor.person_id_seq'),
  fio           varchar(254),
  s_staffpos_hl varchar(254)
);
create index if not exists person_fio on accounts_dep.person (fio);

create or replace function accounts_dep.person_sync() returns trigger
language plpgsql as $$
begin
  if tg_op = 'INSERT' then
    insert into cmn_contractor.person (id, s_caption, s_code)
    values (new.id, new.fio, new.id::text)
    on conflict (id) do update set s_caption = excluded.s_caption, s_code = excluded.s_code;
    return new;
  elsif tg_op = 'UPDATE' then
    update cmn_contractor.person
       set id = new.id, s_caption = new.fio, s_code = new.id::text
     where id = old.id;
    if not found then
      insert into cmn_contractor.person (id, s_caption, s_code)
      values (new.id, new.fio, new.id::text);
    end if;
    return new;
  else
    delete from cmn_contractor.person where id = old.id;
    return old;
  end if;
end $$;

drop trigger if exists person_sync on accounts_dep.person;
create trigger person_sync after insert or update or delete on accounts_dep.person
  for each row execute function accounts_dep.person_sync();

------------------------------------------------------------------------------
-- Products: the goods catalogue as the program lists it.
------------------------------------------------------------------------------
create or replace view accounts_dep.izdel as
  select g.s_caption::varchar(254)  as marka,
         g.id                        as id,
         i.s_caption::varchar(255)  as nom,
         g.massa::numeric(28,6)     as massa,
         g.id_class_item             as id_class_item
    from cmn_gds_and_srv.gds_and_srv g
    left join cmn_classifier.item i on i.id = g.id_class_item;

------------------------------------------------------------------------------
-- Fixed rows
------------------------------------------------------------------------------
insert into accounts_dep.vid_oper (id, vid) values (7777, 'Хоз. работы')
  on conflict (id) do nothing;
insert into accounts_dep.vid_oper (id, vid) values (7778, 'Ср. сдельная')
  on conflict (id) do nothing;

insert into cmn_gds_and_srv.gds_and_srv (id, s_caption, s_description, id_msm_bs, massa)
  values (7777, 'Хоз. работы', '', 6, 0) on conflict (id) do nothing;
insert into cmn_gds_and_srv.gds_and_srv (id, s_caption, s_description, id_msm_bs, massa)
  values (7778, 'Ср. сдельная', '', 6, 0) on conflict (id) do nothing;

insert into accounts_dep.oper (id, vid, naimen, i_id, cena_new) values (7777, 7777, 0, 7777, 0)
  on conflict (id) do nothing;
insert into accounts_dep.oper (id, vid, naimen, i_id, cena_new) values (7778, 7778, 0, 7778, 0)
  on conflict (id) do nothing;

insert into accounts_dep.norm (o_id, norma, price, prize)
  select 7777, 0, 150, 0 where not exists (select 1 from accounts_dep.norm where o_id = 7777);
insert into accounts_dep.norm (o_id, norma, price, prize)
  select 7778, 0, 0, 0 where not exists (select 1 from accounts_dep.norm where o_id = 7778);

insert into accounts_dep.ver (d, t, delim)
  select 0, 0, '.' where not exists (select 1 from accounts_dep.ver);

------------------------------------------------------------------------------
-- Change history and closed months.
-- Every insert, update and delete of journal entries (smena) and maintenance
-- entries (fatigue) is recorded in change_log by the triggers below, with
-- the server time, the database role, and what the client's session says of
-- itself: the program sets tabel.role, tabel.os_user and tabel.host (and its
-- application_name) at connect; other programs are known by their role,
-- application_name and address. The history is append-only: rows come only
-- from these triggers, and no role may change or delete them.
-- A month in closed_month is read-only for journal entries, maintenance
-- entries and timesheet rows; the refusal carries SQLSTATE TB001.
------------------------------------------------------------------------------
create table if not exists accounts_dep.change_log (
  id               bigserial primary key,
  changed_at       timestamptz not null default clock_timestamp(),
  table_name       varchar(63) not null,
  row_id           integer,
  action           varchar(16) not null,
  entry_date       date,
  old_values       jsonb,
  new_values       jsonb,
  db_role          varchar(63) not null default session_user,
  app_role         text,
  os_user          text,
  host             text,
  application_name text,
  client_addr      inet
);
create index if not exists change_log_row on accounts_dep.change_log (table_name, row_id, id);
create index if not exists change_log_deleted on accounts_dep.change_log (table_name, entry_date)
  where action = 'delete';

create table if not exists accounts_dep.closed_month (
  year      smallint not null,
  month     smallint not null check (month between 1 and 12),
  closed_at timestamptz not null default clock_timestamp(),
  closed_by text,
  primary key (year, month)
);

-- The history takes rows from the triggers only and keeps them for good.
create or replace function accounts_dep.change_log_guard() returns trigger
language plpgsql set search_path = pg_catalog as $$
begin
  if tg_op = 'INSERT' and pg_trigger_depth() > 1 then
    return new;
  end if;
  raise exception 'История изменений только пополняется: её записи не добавляются вручную, не изменяются и не удаляются.'
    using errcode = '42501';
end $$;
drop trigger if exists change_log_guard on accounts_dep.change_log;
create trigger change_log_guard before insert or update or delete on accounts_dep.change_log
  for each row execute function accounts_dep.change_log_guard();
drop trigger if exists change_log_guard_truncate on accounts_dep.change_log;
create trigger change_log_guard_truncate before truncate on accounts_dep.change_log
  for each statement execute function accounts_dep.change_log_guard();

-- One history row, with who wrote it as the session tells.
create or replace function accounts_dep.log_change(p_table text, p_row_id integer, p_action text,
  p_entry_date date, p_old jsonb, p_new jsonb) returns void
language plpgsql security definer set search_path = pg_catalog, accounts_dep as $$
begin
  insert into accounts_dep.change_log (table_name, row_id, action, entry_date, old_values, new_values,
    db_role, app_role, os_user, host, application_name, client_addr)
  values (p_table, p_row_id, p_action, p_entry_date, p_old, p_new, session_user,
    nullif(current_setting('tabel.role', true), ''), nullif(current_setting('tabel.os_user', true), ''),
    nullif(current_setting('tabel.host', true), ''), nullif(current_setting('application_name', true), ''),
    inet_client_addr());
end $$;
revoke all on function accounts_dep.log_change(text, integer, text, date, jsonb, jsonb) from public;

-- Refuses a change in a closed month: "Месяц Март 2024 закрыт. Изменения невозможны."
create or replace function accounts_dep.refuse_closed_month(p_year integer, p_month integer) returns void
language plpgsql stable security definer set search_path = pg_catalog, accounts_dep as $$
begin
  if p_year is not null and p_month is not null
     and exists (select 1 from accounts_dep.closed_month c where c.year = p_year and c.month = p_month) then
    raise exception 'Месяц % % закрыт. Изменения невозможны.',
      (array['Январь', 'Февраль', 'Март', 'Апрель', 'Май', 'Июнь', 'Июль', 'Август', 'Сентябрь',
             'Октябрь', 'Ноябрь', 'Декабрь'])[p_month], p_year
      using errcode = 'TB001';
  end if;
end $$;

-- The old and new values of the columns an update changed; nothing when none.
create or replace function accounts_dep.changed_columns(p_old jsonb, p_new jsonb, out o jsonb, out n jsonb)
language sql immutable set search_path = pg_catalog as $$
  select jsonb_object_agg(e.key, e.value), jsonb_object_agg(e.key, p_new -> e.key)
    from jsonb_each(p_old) e
   where (p_new -> e.key) is distinct from e.value
$$;

create or replace function accounts_dep.smena_history() returns trigger
language plpgsql security definer set search_path = pg_catalog, accounts_dep as $$
declare
  o jsonb;
  n jsonb;
begin
  if tg_op <> 'INSERT' then
    perform accounts_dep.refuse_closed_month(extract(year from old.data)::integer, extract(month from old.data)::integer);
  end if;
  if tg_op <> 'DELETE' and (tg_op = 'INSERT' or new.data is distinct from old.data) then
    perform accounts_dep.refuse_closed_month(extract(year from new.data)::integer, extract(month from new.data)::integer);
  end if;
  if tg_op = 'INSERT' then
    perform accounts_dep.log_change('smena', new.id, 'insert', new.data, null, jsonb_strip_nulls(to_jsonb(new)));
    return new;
  elsif tg_op = 'UPDATE' then
    select c.o, c.n into o, n from accounts_dep.changed_columns(to_jsonb(old), to_jsonb(new)) c;
    if o is not null then
      perform accounts_dep.log_change('smena', new.id, 'update', new.data, o, n);
    end if;
    return new;
  else
    perform accounts_dep.log_change('smena', old.id, 'delete', old.data, jsonb_strip_nulls(to_jsonb(old)), null);
    return old;
  end if;
end $$;
drop trigger if exists smena_history on accounts_dep.smena;
create trigger smena_history after insert or update or delete on accounts_dep.smena
  for each row execute function accounts_dep.smena_history();

create or replace function accounts_dep.fatigue_history() returns trigger
language plpgsql security definer set search_path = pg_catalog, accounts_dep as $$
declare
  o jsonb;
  n jsonb;
begin
  if tg_op <> 'INSERT' then
    perform accounts_dep.refuse_closed_month(coalesce(extract(year from old.d_date)::integer, old.i_year),
                                             coalesce(extract(month from old.d_date)::integer, old.i_mnth));
  end if;
  if tg_op <> 'DELETE' and (tg_op = 'INSERT' or new.d_date is distinct from old.d_date
                            or new.i_year is distinct from old.i_year or new.i_mnth is distinct from old.i_mnth) then
    perform accounts_dep.refuse_closed_month(coalesce(extract(year from new.d_date)::integer, new.i_year),
                                             coalesce(extract(month from new.d_date)::integer, new.i_mnth));
  end if;
  if tg_op = 'INSERT' then
    perform accounts_dep.log_change('fatigue', new.id, 'insert', new.d_date, null, jsonb_strip_nulls(to_jsonb(new)));
    return new;
  elsif tg_op = 'UPDATE' then
    select c.o, c.n into o, n from accounts_dep.changed_columns(to_jsonb(old), to_jsonb(new)) c;
    if o is not null then
      perform accounts_dep.log_change('fatigue', new.id, 'update', new.d_date, o, n);
    end if;
    return new;
  else
    perform accounts_dep.log_change('fatigue', old.id, 'delete', old.d_date, jsonb_strip_nulls(to_jsonb(old)), null);
    return old;
  end if;
end $$;
drop trigger if exists fatigue_history on accounts_dep.fatigue;
create trigger fatigue_history after insert or update or delete on accounts_dep.fatigue
  for each row execute function accounts_dep.fatigue_history();

-- Timesheet rows of a closed month stay as they are: checked once per
-- statement over the rows it wrote, so month rebuilds pay one look-up.
create or replace function accounts_dep.h_tabel_closed_month() returns trigger
language plpgsql security definer set search_path = pg_catalog, accounts_dep as $$
declare
  y integer;
  m integer;
begin
  if tg_op in ('UPDATE', 'DELETE') then
    select c.year, c.month into y, m from accounts_dep.closed_month c
     where exists (select 1 from old_rows r where r.year = c.year and r.month = c.month) limit 1;
    perform accounts_dep.refuse_closed_month(y, m);
  end if;
  if tg_op in ('UPDATE', 'INSERT') then
    select c.year, c.month into y, m from accounts_dep.closed_month c
     where exists (select 1 from new_rows r where r.year = c.year and r.month = c.month) limit 1;
    perform accounts_dep.refuse_closed_month(y, m);
  end if;
  return null;
end $$;
drop trigger if exists h_tabel_closed_month on accounts_dep.h_tabel;
drop trigger if exists h_tabel_closed_month_insert on accounts_dep.h_tabel;
create trigger h_tabel_closed_month_insert after insert on accounts_dep.h_tabel
  referencing new table as new_rows for each statement execute function accounts_dep.h_tabel_closed_month();
drop trigger if exists h_tabel_closed_month_update on accounts_dep.h_tabel;
create trigger h_tabel_closed_month_update after update on accounts_dep.h_tabel
  referencing old table as old_rows new table as new_rows
  for each statement execute function accounts_dep.h_tabel_closed_month();
drop trigger if exists h_tabel_closed_month_delete on accounts_dep.h_tabel;
create trigger h_tabel_closed_month_delete after delete on accounts_dep.h_tabel
  referencing old table as old_rows for each statement execute function accounts_dep.h_tabel_closed_month();

-- Closing and reopening a month are recorded in the history (row id yyyymm).
create or replace function accounts_dep.closed_month_history() returns trigger
language plpgsql security definer set search_path = pg_catalog, accounts_dep as $$
begin
  if tg_op = 'INSERT' then
    perform accounts_dep.log_change('closed_month', new.year * 100 + new.month, 'close',
      make_date(new.year, new.month, 1), null, jsonb_build_object('year', new.year, 'month', new.month));
    return new;
  elsif tg_op = 'UPDATE' then
    raise exception 'Закрытый месяц не изменяется: откройте его и закройте снова.' using errcode = '42501';
  else
    perform accounts_dep.log_change('closed_month', old.year * 100 + old.month, 'reopen',
      make_date(old.year, old.month, 1), jsonb_build_object('year', old.year, 'month', old.month), null);
    return old;
  end if;
end $$;
drop trigger if exists closed_month_history on accounts_dep.closed_month;
create trigger closed_month_history after insert or update or delete on accounts_dep.closed_month
  for each row execute function accounts_dep.closed_month_history();

-- The program's login role
do $$ begin
  if not exists (select 1 from pg_roles where rolname = 'sys') then
    create role sys login password 'wompvlk';
  end if;
end $$;
grant usage on schema accounts_dep, cmn_contractor, cmn_classifier, cmn_gds_and_srv,
  hrms_staffpos, cmn_department, adm_role to sys;
grant select, insert, update, delete on all tables in schema accounts_dep, cmn_contractor,
  cmn_classifier, cmn_gds_and_srv, hrms_staffpos, cmn_department, adm_role to sys;
grant usage, select, update on all sequences in schema accounts_dep, cmn_contractor,
  cmn_classifier, cmn_gds_and_srv, hrms_staffpos, cmn_department, adm_role to sys;
