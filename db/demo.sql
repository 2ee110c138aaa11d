-- Demo shop for Tabel: a small furniture workshop with about forty workers,
-- sixty products in seven nomenclature groups, a dozen operation kinds with
-- norms, and the journal from the first day of the month three months ago up
-- to today, with maintenance and average-piecework entries and the monthly
-- timesheet rows that belong to them.
--
-- Load with psql after db/schema.sql:
--   psql -v ON_ERROR_STOP=1 -d mill_erp -f db/demo.sql
-- Runs as the owner of the tables (the role that loaded db/schema.sql; no
-- superuser rights needed; the program's login sys cannot: it may not write
-- the enterprise tables), in one transaction of its own (do not add psql -1).
-- Loads only into a database without workers: on a second run,
-- or on a database that already holds real data, it changes nothing.
--
-- Dates are taken relative to current_date, and every "random" choice is a
-- hash of the worker's number, the date and the like, so a load on the same
-- day always gives the same shop.

\set ON_ERROR_STOP on
\set QUIET on
set client_min_messages = warning;
set datestyle = 'ISO, DMY';

begin;
-- Two loads started at once: the second waits here and then finds workers.
lock table accounts_dep.person in share row exclusive mode;
select exists (select 1 from accounts_dep.person) as tabel_demo_skip \gset
\if :tabel_demo_skip
  set client_min_messages = notice;
  do $$ begin
    raise notice 'demo data not loaded: accounts_dep.person already has rows';
  end $$;
  rollback;
  \quit
\endif

-- Deterministic pseudo-random number in [0, 1) from a text key.
create function pg_temp.rnd(k text) returns double precision
  language sql immutable as
  $$ select ('x' || substr(md5(k), 1, 8))::bit(32)::bigint / 4294967296.0 $$;

------------------------------------------------------------------------------
-- Departments, staff positions and roles of the enterprise
------------------------------------------------------------------------------
create temp table d_dep (code text, caption text, id numeric);
insert into d_dep (code, caption) values
  ('01', 'Механический участок'),
  ('02', 'Сборочный участок'),
  ('03', 'Малярный участок'),
  ('04', 'Участок упаковки'),
  ('05', 'Ремонтно-механическая служба'),
  ('06', 'Бухгалтерия');

with ins as (
  insert into cmn_department.department (id_branch, s_code, s_caption, s_description)
  select 1, code, caption, '' from d_dep order by code
  returning id, s_code)
update d_dep set id = ins.id from ins where ins.s_code = d_dep.code;

insert into hrms_staffpos.staffpos (id_department, s_code, s_caption, d_begin, d_end, s_description)
select dep.id, v.code, v.caption, make_date(2015, 1, 12), null, ''
  from (values ('01', '101', 'Станочник'),
               ('01', '102', 'Токарь'),
               ('01', '103', 'Шлифовщик'),
               ('02', '201', 'Сборщик'),
               ('02', '202', 'Столяр'),
               ('02', '203', 'Мастер смены'),
               ('03', '301', 'Маляр'),
               ('04', '401', 'Упаковщик'),
               ('05', '501', 'Слесарь-ремонтник'),
               ('06', '601', 'Бухгалтер-расчётчик')) v(dep, code, caption)
  join d_dep dep on dep.code = v.dep
 order by v.code;

insert into adm_role.roles (s_name, s_caption, d_begin, d_end, b_active)
values ('ADMIN',       'Администратор',       make_date(2015, 1, 12), null, 'true'),
       ('ACCOUNTANT',  'Бухгалтер',           make_date(2015, 1, 12), null, 'true'),
       ('PLANNER',     'Планировщик',         make_date(2016, 3, 1),  null, 'true'),
       ('FOREMAN',     'Мастер',              make_date(2016, 3, 1),  null, 'true'),
       ('STOREKEEPER', 'Кладовщик',           make_date(2017, 9, 4),  null, 'true');

------------------------------------------------------------------------------
-- Nomenclature groups: level-2 items of the classifier under two level-1 items
------------------------------------------------------------------------------
create temp table d_grp (code text, caption text, parent text, lvl int, id numeric);
insert into d_grp (code, caption, parent, lvl) values
  ('01',    'Мебель',                 null, 1),
  ('02',    'Детали и полуфабрикаты', null, 1),
  ('01.01', 'Стулья',                 '01', 2),
  ('01.02', 'Табуреты',               '01', 2),
  ('01.03', 'Столы',                  '01', 2),
  ('01.04', 'Тумбы и шкафы',          '01', 2),
  ('01.05', 'Полки и стеллажи',       '01', 2),
  ('01.06', 'Детская мебель',         '01', 2),
  ('02.01', 'Мебельные детали',       '02', 2);

with ins as (
  insert into cmn_classifier.item (id_classifier, id_level, s_code, s_caption, s_description, b_excluded)
  select 1, 1, code, caption, '', 'false' from d_grp where lvl = 1 order by code
  returning id, s_code)
update d_grp set id = ins.id from ins where ins.s_code = d_grp.code and d_grp.lvl = 1;

with ins as (
  insert into cmn_classifier.item (id_classifier, id_level, s_code, s_caption, s_description, b_excluded, id_parent)
  select 1, 2, g.code, g.caption, '', 'false', p.id
    from d_grp g join d_grp p on p.code = g.parent
   where g.lvl = 2 order by g.code
  returning id, s_code)
update d_grp set id = ins.id from ins where ins.s_code = d_grp.code and d_grp.lvl = 2;

------------------------------------------------------------------------------
-- Products. c = labour per piece against a plain chair (norms scale with it),
-- massa = boxes per piece, turned = has turned parts, finish: П paint, Л lacquer
------------------------------------------------------------------------------
create temp table d_prod (n serial, marka text, grp text, c numeric, massa numeric,
                          turned boolean, finish text, id numeric);
insert into d_prod (marka, grp, c, massa, turned, finish) values
  ('СТ-101',                     '01.01', 1.0, 1,    true,  'Л'),
  ('СТ-102',                     '01.01', 1.1, 1,    true,  'П'),
  ('СТ-103',                     '01.01', 1.2, 1,    false, 'ПЛ'),
  ('СТ-105 «Венский»',           '01.01', 1.6, 1,    true,  'Л'),
  ('СТ-110',                     '01.01', 1.0, 0.5,  false, 'П'),
  ('СТ-112',                     '01.01', 1.0, 0.5,  false, 'Л'),
  ('СТ-120 барный',              '01.01', 1.4, 1,    true,  'П'),
  ('СТ-130 складной',            '01.01', 1.3, 0.5,  false, 'Л'),
  ('СТ-140 полумягкий',          '01.01', 1.8, 1,    false, 'П'),
  ('СТ-150 с подлокотниками',    '01.01', 2.0, 1,    true,  'Л'),
  ('Табурет Т-1',                '01.02', 0.6, 0.25, false, 'Л'),
  ('Табурет Т-2',                '01.02', 0.7, 0.25, true,  'П'),
  ('Табурет Т-3',                '01.02', 0.8, 0.25, true,  'Л'),
  ('Табурет Т-3М',               '01.02', 0.8, 0.25, true,  'П'),
  ('Табурет Т-5 кухонный',       '01.02', 0.7, 0.25, false, 'П'),
  ('Табурет барный ТБ-1',        '01.02', 1.0, 0.5,  true,  'Л'),
  ('Табурет барный ТБ-2',        '01.02', 1.1, 0.5,  true,  'ПЛ'),
  ('Табурет-стремянка ТС-1',     '01.02', 1.2, 0.5,  false, 'Л'),
  ('СО-1 обеденный',             '01.03', 2.0, 1,    true,  'Л'),
  ('СО-2 обеденный раздвижной',  '01.03', 2.6, 2,    true,  'Л'),
  ('СО-3 обеденный',             '01.03', 2.2, 1,    false, 'П'),
  ('СК-10 кухонный',             '01.03', 1.6, 1,    false, 'П'),
  ('СК-12 кухонный',             '01.03', 1.7, 1,    false, 'ПЛ'),
  ('СП-4 письменный',            '01.03', 2.2, 2,    false, 'Л'),
  ('СП-6 письменный с тумбой',   '01.03', 2.8, 3,    false, 'Л'),
  ('СЖ-2 журнальный',            '01.03', 1.4, 1,    true,  'Л'),
  ('СЖ-5 журнальный',            '01.03', 1.5, 1,    false, 'П'),
  ('СКМ-1 компьютерный',         '01.03', 2.4, 2,    false, 'П'),
  ('ТП-1 прикроватная',          '01.04', 1.5, 1,    false, 'Л'),
  ('ТП-2 прикроватная',          '01.04', 1.6, 1,    false, 'П'),
  ('ТВ-2 под телевизор',         '01.04', 2.0, 2,    false, 'Л'),
  ('ТО-1 обувница',              '01.04', 1.4, 1,    false, 'П'),
  ('ШК-2 книжный',               '01.04', 2.6, 3,    false, 'Л'),
  ('ШК-4 книжный',               '01.04', 2.8, 3,    false, 'П'),
  ('ШП-1 платяной',              '01.04', 3.0, 4,    false, 'Л'),
  ('ШП-2 платяной',              '01.04', 3.2, 4,    false, 'ПЛ'),
  ('КМ-3 комод',                 '01.04', 2.8, 3,    false, 'Л'),
  ('П-60 настенная',             '01.05', 0.5, 0.5,  false, 'Л'),
  ('П-80 настенная',             '01.05', 0.6, 0.5,  false, 'Л'),
  ('П-100 настенная',            '01.05', 0.7, 0.5,  false, 'П'),
  ('ПУ-1 угловая',               '01.05', 0.8, 0.5,  false, 'П'),
  ('СТЛ-3 стеллаж',              '01.05', 1.6, 2,    false, 'Л'),
  ('СТЛ-5 стеллаж',              '01.05', 2.0, 2,    false, 'П'),
  ('СТЛ-5Н напольный',           '01.05', 2.2, 3,    false, 'Л'),
  ('ПК-2 книжная',               '01.05', 0.9, 1,    false, 'ПЛ'),
  ('СД-1 стульчик детский',      '01.06', 0.7, 0.5,  true,  'П'),
  ('СтД-2 столик детский',       '01.06', 1.2, 1,    false, 'П'),
  ('КД-1 кроватка',              '01.06', 2.5, 3,    true,  'П'),
  ('КД-2 кроватка-маятник',      '01.06', 2.8, 3,    true,  'ПЛ'),
  ('ТД-1 табурет детский',       '01.06', 0.5, 0.25, false, 'П'),
  ('ПД-3 пеленальный комод',     '01.06', 2.6, 3,    false, 'П'),
  ('Ножка Н-40 точёная',         '02.01', 0.3, 0,    true,  'П'),
  ('Ножка Н-70 точёная',         '02.01', 0.4, 0,    true,  'Л'),
  ('Царга Ц-70',                 '02.01', 0.3, 0,    false, ''),
  ('Царга Ц-110',                '02.01', 0.35, 0,   false, ''),
  ('Сиденье С-40',               '02.01', 0.4, 0,    false, 'П'),
  ('Спинка СП-38',               '02.01', 0.45, 0,   false, 'П'),
  ('Щит мебельный 18х600х2000',  '02.01', 0.8, 0,    false, ''),
  ('Столешница 800х600',         '02.01', 0.7, 0,    false, 'Л'),
  ('Фасад Ф-400',                '02.01', 0.5, 0,    false, 'П');

with ins as (
  insert into cmn_gds_and_srv.gds_and_srv (s_caption, s_description, id_msm_bs, massa, id_class_item)
  select p.marka, '', 6, p.massa, g.id
    from d_prod p join d_grp g on g.code = p.grp
   order by p.n
  returning id, s_caption)
update d_prod set id = ins.id from ins where ins.s_caption = d_prod.marka;

------------------------------------------------------------------------------
-- Operation kinds. naimen: 0 finished product, 1 blanks; norma = pieces in an
-- eight-hour shift on a plain chair; rate = pay for such a shift; groups = the
-- nomenclature groups where the kind applies.
------------------------------------------------------------------------------
create temp table d_kind (code text, vid text, naimen int, norma int, rate numeric,
                          groups text[], id int);
insert into d_kind (code, vid, naimen, norma, rate, groups) values
  ('cut',   'РАСКРОЙ',            1, 120, 2800, '{01.01,01.02,01.03,01.04,01.05,01.06,02.01}'),
  ('trim',  'ТОРЦОВКА',           1, 200, 2600, '{01.01,01.02,01.03,01.04,02.01}'),
  ('mill',  'ФРЕЗЕРОВКА',         1,  90, 3000, '{01.01,01.02,01.03,01.06,02.01}'),
  ('drill', 'СВЕРЛЕНИЕ',          1, 150, 2600, '{01.01,01.02,01.03,01.04,01.05,01.06,02.01}'),
  ('turn',  'ТОКАРНАЯ ОБРАБОТКА', 1,  60, 3200, '{01.01,01.02,01.03,01.06,02.01}'),
  ('edge',  'КРОМКОВАНИЕ',        1, 100, 2800, '{01.03,01.04,01.05,01.06}'),
  ('sand',  'ШЛИФОВКА',           1,  80, 2700, '{01.01,01.02,01.03,01.04,01.05,01.06,02.01}'),
  ('glue',  'СКЛЕЙКА',            1,  60, 2800, '{01.01,01.02,01.03,01.06,02.01}'),
  ('asm',   'СБОРКА',             0,  25, 3200, '{01.01,01.02,01.03,01.04,01.05,01.06}'),
  ('paint', 'ПОКРАСКА',           0,  40, 3000, '{01.01,01.02,01.03,01.04,01.05,01.06,02.01}'),
  ('lacq',  'ЛАКИРОВКА',          0,  50, 3000, '{01.01,01.02,01.03,01.04,01.05,01.06,02.01}'),
  ('pack',  'УПАКОВКА',           0,  70, 2500, '{01.01,01.02,01.03,01.04,01.05,01.06}');

with ins as (
  insert into accounts_dep.vid_oper (vid)
  select vid from d_kind order by vid
  returning id, vid)
update d_kind set id = ins.id from ins where rtrim(ins.vid) = d_kind.vid;

-- Operations: product x kind where the kind applies (turning only for products
-- with turned parts, painting and lacquering by the product's finish). Parts
-- are blanks whatever the kind.
create temp table d_op as
select p.n as pn, p.id as i_id, p.grp, k.code as kind, k.id as vid,
       case when p.grp like '02.%' then 1 else k.naimen end as naimen,
       greatest(5, round(k.norma / p.c))::int as norma,
       round(k.rate / greatest(5, round(k.norma / p.c)), 2) as price,
       0 as id
  from d_prod p join d_kind k on p.grp = any (k.groups)
 where (k.code <> 'turn' or p.turned)
   and (k.code <> 'paint' or p.finish like '%П%')
   and (k.code <> 'lacq' or p.finish like '%Л%');

with ins as (
  insert into accounts_dep.oper (vid, naimen, i_id, cena_new)
  select vid, naimen, i_id, 0 from d_op order by pn, vid
  returning id, vid, i_id)
update d_op set id = ins.id from ins where ins.vid = d_op.vid and ins.i_id = d_op.i_id;

-- Norms: one basic norm per operation; about a third also have a norm for
-- large batches (more pieces, lower rate) and some one for small batches.
create temp table d_norm as
select o.id as o_id, 1 as ord, o.norma, o.price from d_op o
union all
select o.id, 2, round(o.norma * 1.25)::int, round(o.price * 0.9, 2)
  from d_op o where pg_temp.rnd('norm2/' || o.pn || '/' || o.kind) < 0.33
union all
select o.id, 3, greatest(1, round(o.norma * 0.8))::int, round(o.price * 1.15, 2)
  from d_op o where pg_temp.rnd('norm2/' || o.pn || '/' || o.kind) < 0.12;

insert into accounts_dep.norm (o_id, norma, price, prize)
select o_id, norma, price, 0 from d_norm order by o_id, ord;

-- The operation's lowest norm price (the journal's unit price) and that norm.
create temp table d_oprice as
select distinct on (o_id) o_id, price as min_price, norma
  from d_norm order by o_id, price, ord;

------------------------------------------------------------------------------
-- Workers: name, position, usual shift. Inserted through accounts_dep.person,
-- whose trigger gives each one the enterprise person id and numeric code.
------------------------------------------------------------------------------
create temp table d_worker (n serial, fio text, pos text, shift int, id int);
insert into d_worker (fio, pos, shift) values
  ('Иванов А.П.',      'Станочник', 1),
  ('Кузнецов В.С.',    'Станочник', 1),
  ('Смирнов Д.А.',     'Станочник', 1),
  ('Попов Н.Е.',       'Станочник', 1),
  ('Васильев С.И.',    'Станочник', 2),
  ('Морозов Е.В.',     'Станочник', 2),
  ('Волков А.Н.',      'Станочник', 2),
  ('Соколов И.Г.',     'Станочник', 2),
  ('Лебедев П.М.',     'Станочник', 3),
  ('Козлов Р.Ю.',      'Станочник', 3),
  ('Новиков Г.А.',     'Токарь', 1),
  ('Фёдоров Л.Б.',     'Токарь', 2),
  ('Михайлов О.К.',    'Токарь', 1),
  ('Егоров К.Д.',      'Шлифовщик', 1),
  ('Павлов В.В.',      'Шлифовщик', 1),
  ('Семёнова Т.Н.',    'Шлифовщик', 2),
  ('Голубев М.С.',     'Шлифовщик', 2),
  ('Виноградов Ю.П.',  'Шлифовщик', 3),
  ('Богданов А.А.',    'Сборщик', 1),
  ('Воробьёв С.Н.',    'Сборщик', 1),
  ('Фролов И.И.',      'Сборщик', 1),
  ('Зайцев Е.П.',      'Сборщик', 1),
  ('Орлов Д.В.',       'Сборщик', 2),
  ('Макаров А.Е.',     'Сборщик', 2),
  ('Никитин В.Г.',     'Сборщик', 2),
  ('Захаров Н.Ф.',     'Сборщик', 2),
  ('Соловьёв П.Р.',    'Сборщик', 1),
  ('Борисов Ф.Т.',     'Столяр', 1),
  ('Киселева Н.А.',    'Маляр', 1),
  ('Белова Е.С.',      'Маляр', 1),
  ('Медведева О.В.',   'Маляр', 1),
  ('Комаров С.Л.',     'Маляр', 2),
  ('Ершова Л.М.',      'Маляр', 2),
  ('Тихонова Г.И.',    'Маляр', 2),
  ('Андреева М.Ю.',    'Упаковщик', 1),
  ('Сорокина В.Н.',    'Упаковщик', 1),
  ('Алексеева И.П.',   'Упаковщик', 2),
  ('Гусева Т.С.',      'Упаковщик', 2),
  ('Титов Б.В.',       'Слесарь-ремонтник', 1),
  ('Кудрявцев А.С.',   'Слесарь-ремонтник', 1);

with ins as (
  insert into accounts_dep.person (fio, s_staffpos_hl)
  select fio, pos from d_worker order by n
  returning id, fio)
update d_worker set id = ins.id from ins where ins.fio = d_worker.fio;

-- Which kinds of work each position does.
create temp table d_pos (pos text, kind text);
insert into d_pos values
  ('Станочник', 'cut'), ('Станочник', 'trim'), ('Станочник', 'mill'),
  ('Станочник', 'drill'), ('Станочник', 'edge'),
  ('Токарь', 'turn'), ('Токарь', 'drill'),
  ('Шлифовщик', 'sand'),
  ('Сборщик', 'glue'), ('Сборщик', 'asm'),
  ('Столяр', 'glue'), ('Столяр', 'asm'), ('Столяр', 'sand'), ('Столяр', 'mill'),
  ('Маляр', 'paint'), ('Маляр', 'lacq'),
  ('Упаковщик', 'pack');

-- Operations a worker may do, and the groups with enough of them to fill a week.
create temp table d_cand as
select w.n as wn, o.id as op_id, o.grp, o.kind, o.pn
  from d_worker w join d_pos ps on ps.pos = w.pos join d_op o on o.kind = ps.kind;
create temp table d_wgrp as
select wn, grp from d_cand group by wn, grp having count(*) >= 3;

------------------------------------------------------------------------------
-- Calendar: the first day of the month three months ago up to today. Days off
-- are weekends and the public holidays.
------------------------------------------------------------------------------
create temp table d_day as
select g::date as d,
       extract(isodow from g) >= 6
         or to_char(g, 'MM-DD') in ('01-01', '01-02', '01-03', '01-04', '01-05', '01-06',
                                    '01-07', '01-08', '02-23', '03-08', '05-01', '05-09',
                                    '06-12', '11-04') as off
  from generate_series(date_trunc('month', current_date - interval '3 months'),
                       current_date, interval '1 day') g;

-- Each worker works on one nomenclature group a week.
create temp table d_week as
select distinct on (g.wn, k.wk) g.wn, k.wk, g.grp
  from d_wgrp g,
       (select distinct date_trunc('week', d)::date as wk from d_day) k
 order by g.wn, k.wk, pg_temp.rnd('week/' || g.wn || '/' || k.wk || '/' || g.grp);

------------------------------------------------------------------------------
-- Day plan of every production worker: present on most working days in the
-- usual shift; on days off a crew of five works in shift 1. Some days part of
-- the time goes to maintenance works, a few are paid at the average piecework
-- rate, and now and then there is overtime after the shift.
------------------------------------------------------------------------------
create temp table d_plan as
with base as (
  select w.n as wn, w.id as wid, w.shift, dd.d, dd.off,
         row_number() over (partition by dd.d order by pg_temp.rnd('offday/' || w.n || '/' || dd.d)) as off_rank,
         pg_temp.rnd('absent/' || w.n || '/' || dd.d) as r_abs,
         pg_temp.rnd('kind/' || w.n || '/' || dd.d) as r_kind,
         pg_temp.rnd('maint/' || w.n || '/' || dd.d) as r_mh,
         pg_temp.rnd('count/' || w.n || '/' || dd.d) as r_cnt,
         pg_temp.rnd('split/' || w.n || '/' || dd.d) as r_split,
         pg_temp.rnd('over/' || w.n || '/' || dd.d) as r_ot
    from d_worker w cross join d_day dd
   where w.pos <> 'Слесарь-ремонтник'),
present as (
  select b.*,
         case when b.off then 1 else b.shift end as sm,
         case when b.off then 'piece'
              when b.r_kind < 0.04 then 'maint'
              -- paid at the month's average rate, which needs some piecework
              -- in the month to average over
              when b.r_kind < 0.06 and extract(day from b.d) > 7 then 'avg'
              else 'piece' end as activity
    from base b
   where (b.off and b.off_rank <= 5) or (not b.off and b.r_abs >= 0.06)),
hours as (
  select p.*,
         case when p.activity = 'maint' then 2 + floor(p.r_mh * 3)::int else 0 end as maint_h,
         case when p.activity = 'avg' then 0
              when p.off then 6
              when p.activity = 'maint' then 8 - (2 + floor(p.r_mh * 3)::int)
              else 8 end as piece_h
    from present p)
select h.*,
       least(h.piece_h, case when h.r_cnt < 0.25 then 1 when h.r_cnt < 0.75 then 2 else 3 end) as k,
       case when not h.off and h.activity <> 'avg' and h.shift in (1, 2) and h.r_ot < 0.07
            then 2 + floor(pg_temp.rnd('overh/' || h.wn || '/' || h.d) * 3)::int else 0 end as ot_h,
       wk.grp
  from hours h
  join d_week wk on wk.wn = h.wn and wk.wk = date_trunc('week', h.d)::date;

-- Hours of the j-th of k entries of a day of P hours: one entry takes all;
-- two split 3/5, 4/4 or 5/3; three take the rest and two small ones.
create function pg_temp.entry_hours(p int, k int, j bigint, r double precision) returns int
  language sql immutable as $$
  select case
    when k = 1 then p
    when k = 2 then case when j = 1 then greatest(1, least(p - 1, p / 2 + floor(r * 3)::int - 1))
                         else p - greatest(1, least(p - 1, p / 2 + floor(r * 3)::int - 1)) end
    else case when j = 1 then p - 2 * greatest(1, least((p - 1) / 2, p / 4 + (r > 0.5)::int))
              else greatest(1, least((p - 1) / 2, p / 4 + (r > 0.5)::int)) end
  end $$;

------------------------------------------------------------------------------
-- Journal entries
------------------------------------------------------------------------------
create temp table d_entry as
with picks as (
  -- the day's operations: the first k of the worker's candidates in the
  -- week's group, in a per-day shuffled order (so never the same one twice)
  select p.wn, p.wid, p.d, p.off, p.sm, p.k, p.piece_h, p.r_split, c.op_id, c.kind,
         row_number() over (partition by p.wn, p.d
                            order by pg_temp.rnd('op/' || p.wn || '/' || p.d || '/' || c.op_id)) as j
    from d_plan p join d_cand c on c.wn = p.wn and c.grp = p.grp
   where p.piece_h > 0),
regular as (
  select wn, wid, d, off, sm, op_id, kind,
         pg_temp.entry_hours(piece_h, k, j, r_split) as h
    from picks where j <= k),
overtime as (
  select distinct on (p.wn, p.d) p.wn, p.wid, p.d, p.off, 4 as sm, c.op_id, c.kind, p.ot_h as h
    from d_plan p join d_cand c on c.wn = p.wn and c.grp = p.grp
   where p.ot_h > 0
   order by p.wn, p.d, pg_temp.rnd('otop/' || p.wn || '/' || p.d || '/' || c.op_id))
select e.*, o.i_id, op.min_price, op.norma,
       pg_temp.rnd('qty/' || e.wn || '/' || e.d || '/' || e.op_id || '/' || e.sm) as r_qty,
       pg_temp.rnd('brak/' || e.wn || '/' || e.d || '/' || e.op_id || '/' || e.sm) as r_brak,
       pg_temp.rnd('color/' || e.wn || '/' || e.d || '/' || e.op_id || '/' || e.sm) as r_color,
       pg_temp.rnd('mark/' || e.wn || '/' || e.d || '/' || e.op_id || '/' || e.sm) as r_mark
  from (select * from regular union all select * from overtime) e
  join d_op o on o.id = e.op_id
  join d_oprice op on op.o_id = e.op_id;

insert into accounts_dep.smena (w_id, i_id, o_id, kol_vo, brak, data, smena, cena, color, time,
                                ok, vvod, prize, id_doc, id_doc_item, f_gds_qty_use, id_gds_use, id_cons_use,
                                base_cena, i_holiday)
select x.wid, x.i_id, x.op_id, x.kol_vo,
       case when x.r_brak < 0.85 then 0
            else least(x.kol_vo, 1 + floor((x.r_brak - 0.85) / 0.15 * 3)::int) end,
       x.d, x.sm,
       -- the lowest norm price, x2 on a day off, then x1.2 in shift 3 or x1.5 in overtime
       round(x.min_price::numeric * (case when x.off then 2 else 1 end)
             * (case x.sm when 3 then 1.2 when 4 then 1.5 else 1 end), 4)::double precision,
       -- painting: primer (1) or an RAL colour; other work has no colour
       case when x.kind <> 'paint' then 0
            when x.r_color < 0.35 then 1
            else (array[1013, 1015, 3005, 3020, 5005, 5015, 6005, 7035, 8017, 9003])
                 [1 + floor((x.r_color - 0.35) / 0.65 * 10)::int] end,
       x.h,
       case when x.d >= current_date - 1 then 'no'
            when x.r_mark < 0.006 then 'да'
            else 'ok' end,
       least(x.d + case when x.r_mark < 0.7 then 0 when x.r_mark < 0.9 then 1 else 2 end,
             current_date)::timestamp,
       0, 0, 0, 0, 0, 0,
       -- what the price was set from, as the entry editor keeps it
       round(x.min_price::numeric, 4)::double precision, x.off::int
  from (select e.*, greatest(1, round(e.norma * e.h / 8.0 * (0.85 + 0.3 * e.r_qty)))::int as kol_vo
          from d_entry e) x
 order by x.d, x.sm, x.wn, x.op_id;

------------------------------------------------------------------------------
-- Maintenance works (7777) and average piecework (7778)
------------------------------------------------------------------------------
create temp table d_fat as
-- production workers: part of a day on maintenance, or a day at the average rate
select p.wid, p.d, p.off, case when p.activity = 'maint' then 7777 else 7778 end as id_o,
       case when p.activity = 'maint' then p.maint_h else 8 end as cnt,
       case when p.shift = 3 then 1 else 0 end as night, g.id as id_nom
  from d_plan p join d_grp g on g.code = p.grp
 where p.activity in ('maint', 'avg')
union all
-- the fitters: maintenance every working day, some days off as well
select w.id, dd.d, dd.off, 7777, case when dd.off then 6 else 8 end, 0, g.id
  from d_worker w cross join d_day dd
  join d_grp g on g.code = (array['01.01', '01.02', '01.03', '01.04', '01.05', '01.06', '02.01'])
                           [1 + floor(pg_temp.rnd('fitgrp/' || w.n || '/' || date_trunc('week', dd.d)::date) * 7)::int]
 where w.pos = 'Слесарь-ремонтник'
   and ((not dd.off and pg_temp.rnd('absent/' || w.n || '/' || dd.d) >= 0.05)
        or (dd.off and pg_temp.rnd('fitoff/' || w.n || '/' || dd.d) < 0.12));

-- Hourly rate of maintenance works: the norm of its operation, as the entry
-- dialog reads it; x2 on a day off, x1.2 at night.
insert into accounts_dep.fatigue (id_nom, id_o, id_p, d_date, i_mnth, i_year, i_smena, cnt, price,
                                  i_holiday, i_night)
select f.id_nom, f.id_o, f.wid, f.d, extract(month from f.d), extract(year from f.d), 1, f.cnt,
       case when f.id_o = 7777
            then coalesce((select min(n.price) from accounts_dep.norm n
                             join accounts_dep.oper o on o.id = n.o_id
                            where o.vid = 7777), 0)::numeric
                 * (case when f.off then 2 else 1 end) * (case when f.night = 1 then 1.2 else 1 end)
            else 0 end,
       f.off::int, f.night
  from d_fat f
 order by f.d, f.id_o, f.wid;

-- Average-piecework days belong to the group the worker made most of that
-- month, and are paid the worker's piecework pay per hour on it that month
-- (doubled for a day off), as the maintenance journal's recalculation does.
update accounts_dep.fatigue f
   set id_nom = sub.grp
  from (select distinct on (f2.id)
               f2.id, g.id_class_item as grp
          from accounts_dep.fatigue f2
          join accounts_dep.smena s on s.w_id = f2.id_p
                                   and s.data >= date_trunc('month', f2.d_date)
                                   and s.data < date_trunc('month', f2.d_date) + interval '1 month'
          join accounts_dep.izdel g on g.id = s.i_id
         where f2.id_o = 7778 and f2.id_p in (select id from d_worker)
         group by f2.id, g.id_class_item
         order by f2.id, sum(s.time) desc, g.id_class_item) sub
 where sub.id = f.id;

update accounts_dep.fatigue f
   set price = coalesce((
         select case when coalesce(sum(s.time), 0) = 0 then 0
                     else (sum((s.kol_vo - s.brak) * (s.cena + s.cena * f.i_holiday)) / sum(s.time))::numeric(10,2) end
           from accounts_dep.smena s
           join accounts_dep.izdel g on g.id = s.i_id
          where s.w_id = f.id_p and g.id_class_item = f.id_nom
            and s.data >= date_trunc('month', f.d_date)
            and s.data < date_trunc('month', f.d_date) + interval '1 month'), 0)
 where f.id_o = 7778 and f.id_p in (select id from d_worker);

------------------------------------------------------------------------------
-- Monthly timesheet: shift rows (1..4) with each day's journal hours, hourly
-- rows (smena 0) with each day's maintenance or average-piecework hours per
-- kind and day/night. Days without work stay NULL.
------------------------------------------------------------------------------
create temp table d_daysum as
select s.w_id, s.smena as sm, 0 as it, 0 as nt, s.data as d, sum(s.time) as hrs
  from accounts_dep.smena s
 where s.w_id in (select id from d_worker)
 group by s.w_id, s.smena, s.data
union all
select f.id_p::int, 0, f.id_o::int, f.i_night, f.d_date, sum(f.cnt)
  from accounts_dep.fatigue f
 where f.id_p in (select id from d_worker)
 group by f.id_p, f.id_o, f.i_night, f.d_date;

insert into accounts_dep.h_tabel (w_id, month, year, smena, i_type, i_night,
  d1, d2, d3, d4, d5, d6, d7, d8, d9, d10, d11, d12, d13, d14, d15, d16,
  d17, d18, d19, d20, d21, d22, d23, d24, d25, d26, d27, d28, d29, d30, d31)
select w_id, extract(month from d), extract(year from d), sm, it, nt,
  sum(hrs) filter (where extract(day from d) = 1),  sum(hrs) filter (where extract(day from d) = 2),
  sum(hrs) filter (where extract(day from d) = 3),  sum(hrs) filter (where extract(day from d) = 4),
  sum(hrs) filter (where extract(day from d) = 5),  sum(hrs) filter (where extract(day from d) = 6),
  sum(hrs) filter (where extract(day from d) = 7),  sum(hrs) filter (where extract(day from d) = 8),
  sum(hrs) filter (where extract(day from d) = 9),  sum(hrs) filter (where extract(day from d) = 10),
  sum(hrs) filter (where extract(day from d) = 11), sum(hrs) filter (where extract(day from d) = 12),
  sum(hrs) filter (where extract(day from d) = 13), sum(hrs) filter (where extract(day from d) = 14),
  sum(hrs) filter (where extract(day from d) = 15), sum(hrs) filter (where extract(day from d) = 16),
  sum(hrs) filter (where extract(day from d) = 17), sum(hrs) filter (where extract(day from d) = 18),
  sum(hrs) filter (where extract(day from d) = 19), sum(hrs) filter (where extract(day from d) = 20),
  sum(hrs) filter (where extract(day from d) = 21), sum(hrs) filter (where extract(day from d) = 22),
  sum(hrs) filter (where extract(day from d) = 23), sum(hrs) filter (where extract(day from d) = 24),
  sum(hrs) filter (where extract(day from d) = 25), sum(hrs) filter (where extract(day from d) = 26),
  sum(hrs) filter (where extract(day from d) = 27), sum(hrs) filter (where extract(day from d) = 28),
  sum(hrs) filter (where extract(day from d) = 29), sum(hrs) filter (where extract(day from d) = 30),
  sum(hrs) filter (where extract(day from d) = 31)
  from d_daysum
 group by w_id, extract(year from d), extract(month from d), sm, it, nt
 order by extract(year from d), extract(month from d), sm, it, nt, w_id;

commit;
