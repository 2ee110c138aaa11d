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

-- Base price and day-off flag of a journal entry, as they were when its
-- price was set: the operation's lowest norm price and the "Выходной" box.
-- NULL for entries written by other programs or before the columns existed.
alter table accounts_dep.smena add column if not exists base_cena double precision;
alter table accounts_dep.smena add column if not exists i_holiday integer;

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
