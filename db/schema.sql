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

-- Day-first reading of date text ("05.03.2024" is 5 March) in this session.
-- Only here: the program sets it for its own sessions when it connects, and
-- the database's default stays what the other programs expect.
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

-- Runs with its owner's rights (the program's login may only read the
-- persons): it writes only the person that is this worker, and a new worker
-- never takes over a person of the enterprise that is not one.
create or replace function accounts_dep.person_sync() returns trigger
language plpgsql security definer set search_path = pg_catalog, pg_temp as $$
begin
  if tg_op = 'INSERT' then
    insert into cmn_contractor.person (id, s_caption, s_code)
    values (new.id, new.fio, new.id::text)
    on conflict (id) do nothing;
    if not found then
      raise exception 'Номер % уже занят другим лицом предприятия: сохраните работника ещё раз.', new.id
        using errcode = 'unique_violation';
    end if;
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
-- The product editor's writes to the goods catalogue. The program's login
-- reads products through accounts_dep.izdel only and writes the catalogue
-- only through these functions, which run with their owner's rights and touch
-- only the goods the editor keeps: rows in its unit of measure 6, never the
-- fixed rows 7777 and 7778. Goods of other programs stay out of its reach.
------------------------------------------------------------------------------
create or replace function accounts_dep.product_guard(p_id numeric) returns void
language plpgsql stable set search_path = pg_catalog, pg_temp as $$
declare
  g record;
begin
  select id, s_caption, id_msm_bs into g from cmn_gds_and_srv.gds_and_srv where id = p_id;
  if not found then
    return;
  end if;
  if g.id in (7777, 7778) then
    raise exception 'Изделие "%" служебное: его нельзя изменить или удалить.', g.s_caption
      using errcode = 'insufficient_privilege';
  end if;
  if g.id_msm_bs is distinct from 6 then
    raise exception 'Запись каталога "%" ведёт другая программа: здесь её нельзя изменить или удалить.',
      g.s_caption using errcode = 'insufficient_privilege';
  end if;
end $$;

-- A new product; returns its id.
create or replace function accounts_dep.product_insert(p_marka text, p_massa numeric, p_item numeric)
returns numeric
language plpgsql security definer set search_path = pg_catalog, pg_temp as $$
declare
  v_id numeric;
begin
  insert into cmn_gds_and_srv.gds_and_srv (s_caption, s_description, id_msm_bs, massa, id_class_item)
  values (p_marka, '', 6, p_massa, p_item)
  returning id into v_id;
  return v_id;
end $$;

-- Changes a product; returns the number of rows changed (0: no such product).
create or replace function accounts_dep.product_update(p_id numeric, p_marka text, p_massa numeric,
                                                       p_item numeric) returns integer
language plpgsql security definer set search_path = pg_catalog, pg_temp as $$
declare
  n integer;
begin
  perform accounts_dep.product_guard(p_id);
  update cmn_gds_and_srv.gds_and_srv
     set s_caption = p_marka, s_description = '', id_msm_bs = 6, massa = p_massa, id_class_item = p_item
   where id = p_id and id_msm_bs = 6 and id not in (7777, 7778);
  get diagnostics n = row_count;
  return n;
end $$;

-- Deletes a product; returns the number of rows deleted (0: no such product).
create or replace function accounts_dep.product_delete(p_id numeric) returns integer
language plpgsql security definer set search_path = pg_catalog, pg_temp as $$
declare
  n integer;
begin
  perform accounts_dep.product_guard(p_id);
  delete from cmn_gds_and_srv.gds_and_srv where id = p_id and id_msm_bs = 6 and id not in (7777, 7778);
  get diagnostics n = row_count;
  return n;
end $$;

------------------------------------------------------------------------------
-- The program's login role and what it may touch. The roles belong to the
-- whole server and are a superuser's step (db/create_roles.sql); what they
-- may do here is said in one place, db/roles.sql, applied here once the
-- roles exist, so that every run of this file leaves the grants complete.
------------------------------------------------------------------------------
select exists (select 1 from pg_roles where rolname = 'tabel_client') as tabel_roles_exist \gset
\if :tabel_roles_exist
\ir roles.sql
\else
do $$ begin
  raise notice 'role tabel_client does not exist yet: nothing granted. Run db/create_roles.sql as a superuser, then db/roles.sql';
end $$;
\endif
