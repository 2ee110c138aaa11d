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
-- Month check: the timesheet against the journal and the maintenance works
------------------------------------------------------------------------------
-- Base price and day-off flag of a journal entry, as they were when its
-- price was set: the operation's lowest norm price and the "Выходной" box.
-- NULL for entries written by other programs or before the columns existed.
alter table accounts_dep.smena add column if not exists base_cena double precision;
alter table accounts_dep.smena add column if not exists i_holiday integer;


-- One line per difference of the month (p_month, p_year):
--  - a timesheet cell (shift row or hourly-work row) that is not the sum of
--    that day's entries of its worker and shift (kind and night flag), a day
--    of entries missing from the timesheet, and a row without any entries;
--  - a worker with more than 24 hours on one day across all shifts and
--    hourly work;
--  - a journal entry with more rejects than pieces, with a zero price, or
--    with a price more than 0.01 away from its operation's lowest norm price
--    today (x 2 for a day off, x 1.2 in shift 3, x 1.5 in shift 4). A day off
--    is the entry's stored flag where it has one; otherwise a Saturday or
--    Sunday needs the day-off price and a weekday passes with either price
--    (public holidays are days off too).
create or replace function accounts_dep.month_check(p_month integer, p_year integer)
returns table (w_id integer, fio varchar, data date, smena text, problem text, in_tabel text, in_journal text,
               sort_key integer)
language sql stable as $$
with bounds as (
  select make_date(p_year, p_month, 1) as d1,
         (make_date(p_year, p_month, 1) + interval '1 month')::date as d2,
         extract(day from make_date(p_year, p_month, 1) + interval '1 month' - interval '1 day')::integer as days
),
-- The month's timesheet cells, one per row and day of the month; a key of
-- several rows counts their sum.
rows_ as (
  select h.w_id, case when h.smena > 0 then h.smena::integer else h.i_type end as kind,
         case when h.smena > 0 then 0 else coalesce(h.i_night, 0) end as night,
         array[h.d1, h.d2, h.d3, h.d4, h.d5, h.d6, h.d7, h.d8, h.d9, h.d10, h.d11, h.d12, h.d13, h.d14, h.d15,
               h.d16, h.d17, h.d18, h.d19, h.d20, h.d21, h.d22, h.d23, h.d24, h.d25, h.d26, h.d27, h.d28,
               h.d29, h.d30, h.d31] as days
    from accounts_dep.h_tabel h
   where h.month = p_month and h.year = p_year and h.w_id is not null
     and (h.smena > 0 or h.i_type in (7777, 7778))
),
tab as (
  select r.w_id, r.kind, r.night, u.d::integer as d, sum(u.v)::integer as h
    from rows_ r cross join lateral unnest(r.days) with ordinality as u(v, d), bounds b
   where u.v is not null and u.d <= b.days
   group by 1, 2, 3, 4
),
-- The entries' sums by worker, shift (kind, night flag) and day.
jour as (
  select s.w_id, s.smena as kind, 0 as night, extract(day from s.data)::integer as d,
         coalesce(sum(s.time), 0)::integer as h
    from accounts_dep.smena s, bounds b
   where s.data >= b.d1 and s.data < b.d2 and s.smena between 1 and 4 and s.w_id is not null
   group by 1, 2, 3, 4
  union all
  select f.id_p::integer, f.id_o::integer, coalesce(f.i_night, 0), extract(day from f.d_date)::integer,
         coalesce(sum(f.cnt), 0)::integer
    from accounts_dep.fatigue f, bounds b
   where f.d_date >= b.d1 and f.d_date < b.d2 and f.id_o in (7777, 7778) and f.id_p is not null
   group by 1, 2, 3, 4
),
cells as (
  select coalesce(t.w_id, j.w_id) as w_id, coalesce(t.kind, j.kind) as kind,
         coalesce(t.night, j.night) as night, coalesce(t.d, j.d) as d, t.h as tab_h, j.h as jour_h
    from tab t full join jour j on j.w_id = t.w_id and j.kind = t.kind and j.night = t.night and j.d = t.d
   where t.h is distinct from j.h
),
-- Rows of the month whose worker has no entries of that shift at all.
empty_rows as (
  select distinct r.w_id, r.kind, r.night
    from rows_ r
   where not exists (select 1 from jour j where j.w_id = r.w_id and j.kind = r.kind and j.night = r.night)
     and not exists (select 1 from tab t where t.w_id = r.w_id and t.kind = r.kind and t.night = r.night)
),
day_totals as (
  select j.w_id, j.d, sum(j.h) as h from jour j group by 1, 2 having sum(j.h) > 24
),
-- The month's entries with their operation's lowest norm price today.
norms as (
  select n.o_id, min(n.price) as base from accounts_dep.norm n group by n.o_id
),
entries as (
  select s.id, s.w_id, s.data, s.smena, s.kol_vo, s.brak, s.cena, s.i_holiday, n.base
    from accounts_dep.smena s
    cross join bounds b
    left join norms n on n.o_id = s.o_id
   where s.data >= b.d1 and s.data < b.d2
),
priced as (
  select e.*, e.base * case e.smena when 3 then 1.2 when 4 then 1.5 else 1 end as plain_price,
         e.base * 2 * case e.smena when 3 then 1.2 when 4 then 1.5 else 1 end as day_off_price,
         case when e.i_holiday is not null then e.i_holiday <> 0 end as day_off,
         extract(isodow from e.data) >= 6 as weekend
    from entries e
),
lines as (
  select c.w_id, make_date(p_year, p_month, c.d) as data, c.kind, c.night,
         'Часы в табеле не равны журналу' as problem, c.tab_h::text as in_tabel, c.jour_h::text as in_journal,
         1 as sort_key
    from cells c
  union all
  select e.w_id, null::date, e.kind, e.night, 'Часы в табеле не равны журналу', 'пустая строка',
         'нет записей', 1
    from empty_rows e
  union all
  select d.w_id, make_date(p_year, p_month, d.d), null::integer, null::integer, 'Больше 24 ч за день',
         (select sum(t.h) from tab t where t.w_id = d.w_id and t.d = d.d)::text, d.h::text, 2
    from day_totals d
  union all
  select p.w_id, p.data, p.smena, 0, 'Брак больше количества', null::text,
         'брак ' || p.brak || ', кол-во ' || p.kol_vo, 3
    from priced p
   where p.brak > p.kol_vo
  union all
  select p.w_id, p.data, p.smena, 0, 'Нулевая цена', null::text, 'цена 0', 4
    from priced p
   where coalesce(p.cena, 0) = 0
  union all
  select p.w_id, p.data, p.smena, 0, 'Цена не по нормативу', null::text,
         'цена ' || round(p.cena::numeric, 4)::float8 || ', по нормативу '
           || round((case when p.day_off or (p.day_off is null and p.weekend) then p.day_off_price
                          else p.plain_price end)::numeric, 4)::float8,
         5
    from priced p
   where coalesce(p.cena, 0) <> 0 and p.base is not null
     and case when p.day_off then abs(p.cena - p.day_off_price) > 0.01
              when not p.day_off then abs(p.cena - p.plain_price) > 0.01
              when p.weekend then abs(p.cena - p.day_off_price) > 0.01
              else abs(p.cena - p.plain_price) > 0.01 and abs(p.cena - p.day_off_price) > 0.01 end
)
select l.w_id, pr.fio, l.data,
       case when l.kind is null then null
            when l.kind between 1 and 4 then l.kind::text
            else coalesce(trim(v.vid), l.kind::text) || case when l.night = 1 then ', ночь' else '' end end,
       l.problem, l.in_tabel, l.in_journal, l.sort_key
  from lines l
  left join accounts_dep.person pr on pr.id = l.w_id
  left join accounts_dep.vid_oper v on v.id = l.kind and l.kind not between 1 and 4
 order by pr.fio, l.w_id, l.data nulls first, l.sort_key, l.kind, l.night
$$;

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

