-- A large shop for the benchmarks: 400 workers, 300 products in ten
-- nomenclature groups, twelve operation kinds, about 2 400 operations with
-- their norms, five years of journal up to today (about 1.5 million entries)
-- and the shift rows of the monthly timesheet.
--
-- Load with psql into a fresh database made from the schema template:
--   psql -v ON_ERROR_STOP=1 -d tabel_large -f bench/gen_large.sql
-- Deterministic: the same day gives the same data.

\set ON_ERROR_STOP on
\set QUIET on
set client_min_messages = warning;
set datestyle = 'ISO, DMY';

do $$ begin
  if exists (select 1 from accounts_dep.person) or exists (select 1 from accounts_dep.smena) then
    raise exception 'gen_large.sql wants an empty database made from the schema template';
  end if;
end $$;

begin;

-- Pseudo-random integer in [0, n) from two numbers.
create function pg_temp.pick(a bigint, b bigint, n int) returns int
  language sql immutable as
  $$ select ((hashint8(a * 1000003 + b)::bigint + 2147483648) % n)::int $$;

------------------------------------------------------------------------------
-- Nomenclature groups and products
------------------------------------------------------------------------------
insert into cmn_classifier.item (id_classifier, id_level, s_code, s_caption, s_description, b_excluded)
values (1, 1, '01', 'Мебель', '', 'false'),
       (1, 1, '02', 'Детали и полуфабрикаты', '', 'false');

create temp table g_grp (gn int, code text, caption text, prefix text, parent text, id numeric);
insert into g_grp (gn, code, caption, prefix, parent) values
  (1,  '01.01', 'Стулья',              'СТ',  '01'),
  (2,  '01.02', 'Табуреты',            'Т',   '01'),
  (3,  '01.03', 'Столы обеденные',     'СО',  '01'),
  (4,  '01.04', 'Столы письменные',    'СП',  '01'),
  (5,  '01.05', 'Тумбы',               'ТП',  '01'),
  (6,  '01.06', 'Шкафы',               'ШК',  '01'),
  (7,  '01.07', 'Полки и стеллажи',    'П',   '01'),
  (8,  '01.08', 'Детская мебель',      'ДМ',  '01'),
  (9,  '02.01', 'Мебельные детали',    'Д',   '02'),
  (10, '02.02', 'Мебельные щиты',      'Щ',   '02');

insert into cmn_classifier.item (id_classifier, id_level, s_code, s_caption, s_description, b_excluded, id_parent)
select 1, 2, g.code, g.caption, '', 'false', p.id
  from g_grp g join cmn_classifier.item p on p.s_code = g.parent and p.id_level = 1
 order by g.gn;
update g_grp set id = i.id from cmn_classifier.item i where i.s_code = g_grp.code and i.id_level = 2;

-- 30 products a group; c = labour per piece
create temp table g_prod as
select (g.gn - 1) * 30 + k as pn, g.gn, g.prefix || '-' || (100 + k * 3) as marka,
       round(0.4 + pg_temp.pick(g.gn, k, 25) / 10.0, 1) as c,
       case when g.gn >= 9 then 0 else 0.5 * (1 + pg_temp.pick(k, g.gn, 4)) end as massa,
       g.id as grp_id, 0::numeric as id
  from g_grp g, generate_series(1, 30) k;

insert into cmn_gds_and_srv.gds_and_srv (s_caption, s_description, id_msm_bs, massa, id_class_item)
select marka, '', 6, massa, grp_id from g_prod order by pn;
update g_prod set id = g.id from cmn_gds_and_srv.gds_and_srv g where g.s_caption = g_prod.marka;

------------------------------------------------------------------------------
-- Operation kinds, operations, norms
------------------------------------------------------------------------------
create temp table g_kind (kn int, vid text, naimen int, norma int, rate numeric, id int);
insert into g_kind (kn, vid, naimen, norma, rate) values
  (1,  'РАСКРОЙ',            1, 120, 2800),
  (2,  'ТОРЦОВКА',           1, 200, 2600),
  (3,  'ФРЕЗЕРОВКА',         1,  90, 3000),
  (4,  'СВЕРЛЕНИЕ',          1, 150, 2600),
  (5,  'ТОКАРНАЯ ОБРАБОТКА', 1,  60, 3200),
  (6,  'КРОМКОВАНИЕ',        1, 100, 2800),
  (7,  'ШЛИФОВКА',           1,  80, 2700),
  (8,  'СКЛЕЙКА',            1,  60, 2800),
  (9,  'СБОРКА',             0,  25, 3200),
  (10, 'ПОКРАСКА',           0,  40, 3000),
  (11, 'ЛАКИРОВКА',          0,  50, 3000),
  (12, 'УПАКОВКА',           0,  70, 2500);
insert into accounts_dep.vid_oper (vid) select vid from g_kind order by kn;
update g_kind set id = v.id from accounts_dep.vid_oper v where rtrim(v.vid) = g_kind.vid;

-- each product has eight of the twelve kinds (always cutting, sanding and,
-- for furniture, assembly and packing)
create temp table g_op as
select p.pn, p.gn, p.id as i_id, k.kn, k.id as vid,
       case when p.gn >= 9 then 1 else k.naimen end as naimen,
       greatest(5, round(k.norma / p.c))::int as norma,
       round(k.rate / greatest(5, round(k.norma / p.c)), 2) as price,
       0 as id
  from g_prod p join g_kind k
    on k.kn in (1, 7) or (p.gn < 9 and k.kn in (9, 12))
       or (k.kn not in (1, 7, 9, 12) and pg_temp.pick(p.pn, k.kn, 8) < 4);
insert into accounts_dep.oper (vid, naimen, i_id, cena_new)
select vid, naimen, i_id, 0 from g_op order by pn, kn;
update g_op set id = o.id from accounts_dep.oper o where o.vid = g_op.vid and o.i_id = g_op.i_id;

insert into accounts_dep.norm (o_id, norma, price, prize)
select o_id, norma, price, 0 from (
  select id as o_id, 1 as ord, norma, price from g_op
  union all
  select id, 2, round(norma * 1.25)::int, round(price * 0.9, 2) from g_op where pg_temp.pick(id, 2, 3) = 0
  union all
  select id, 3, greatest(1, round(norma * 0.8))::int, round(price * 1.15, 2) from g_op where pg_temp.pick(id, 2, 9) = 0
) n order by o_id, ord;

create temp table g_oprice as
select o.id as o_id, o.gn, o.kn, o.i_id, min(n.price) as min_price, max(n.norma) as norma
  from g_op o join accounts_dep.norm n on n.o_id = o.id
 group by o.id, o.gn, o.kn, o.i_id;

------------------------------------------------------------------------------
-- Workers: positions by the kinds they do, most in shifts 1 and 2
------------------------------------------------------------------------------
create temp table g_surname (sn serial, s text);
insert into g_surname (s) values
  ('Иванов'), ('Смирнов'), ('Кузнецов'), ('Попов'), ('Васильев'), ('Петров'), ('Соколов'), ('Михайлов'),
  ('Новиков'), ('Фёдоров'), ('Морозов'), ('Волков'), ('Алексеев'), ('Лебедев'), ('Семёнов'), ('Егоров'),
  ('Павлов'), ('Козлов'), ('Степанов'), ('Николаев'), ('Орлов'), ('Андреев'), ('Макаров'), ('Никитин'),
  ('Захаров'), ('Зайцев'), ('Соловьёв'), ('Борисов'), ('Яковлев'), ('Григорьев'), ('Романов'), ('Воробьёв'),
  ('Сергеев'), ('Кузьмин'), ('Фролов'), ('Александров'), ('Дмитриев'), ('Королёв'), ('Гусев'), ('Киселёв'),
  ('Ильин'), ('Максимов'), ('Поляков'), ('Сорокин'), ('Виноградов'), ('Ковалёв'), ('Белов'), ('Медведев'),
  ('Антонов'), ('Тарасов'), ('Жуков'), ('Баранов'), ('Филиппов'), ('Комаров'), ('Давыдов'), ('Беляев'),
  ('Герасимов'), ('Богданов'), ('Осипов'), ('Сидоров');

create temp table g_pos (pos text, kinds int[], share int);
insert into g_pos values
  ('Станочник', '{1,2,3,4,6}', 30),
  ('Токарь',    '{5,4}',        8),
  ('Шлифовщик', '{7}',         14),
  ('Сборщик',   '{8,9}',       24),
  ('Маляр',     '{10,11}',     14),
  ('Упаковщик', '{12}',        10);

create temp table g_worker as
select n, s.s || ' ' || substr('АБВГДЕЖИКЛМНОПРСТФЮЯ', n / 60 + 1, 1) || '.'
           || substr('АБВГДЕЖИКЛМНОПРСТФЮЯ', pg_temp.pick(n, 7, 20) + 1, 1) || '.' as fio,
       (select pos from (select pos, sum(share) over (order by pos) as upto from g_pos) x
         where x.upto > n % 100 order by x.upto limit 1) as pos,
       case when n % 20 < 9 then 1 when n % 20 < 17 then 2 else 3 end as shift,
       0 as id
  from generate_series(0, 399) n join g_surname s on s.sn = n % 60 + 1;

insert into accounts_dep.person (fio, s_staffpos_hl) select fio, pos from g_worker order by n;
update g_worker set id = p.id from accounts_dep.person p where p.fio = g_worker.fio;

-- the operations each worker can do, per group, as arrays to pick from
create temp table g_cand as
select w.n as wn, o.gn, array_agg(o.o_id order by o.o_id) as ops, count(*)::int as cnt
  from g_worker w join g_pos p on p.pos = w.pos join g_oprice o on o.kn = any (p.kinds)
 group by w.n, o.gn having count(*) >= 4;
create temp table g_wgrp as
select wn, array_agg(gn order by gn) as groups from g_cand group by wn;

------------------------------------------------------------------------------
-- Five years of working days; weekends and public holidays are days off
------------------------------------------------------------------------------
create temp table g_day as
select g::date as d, (g::date - date '2000-01-03') as dn,
       extract(isodow from g) >= 6
         or to_char(g, 'MM-DD') in ('01-01', '01-02', '01-03', '01-04', '01-05', '01-06',
                                    '01-07', '01-08', '02-23', '03-08', '05-01', '05-09',
                                    '06-12', '11-04') as off
  from generate_series(current_date - interval '5 years', current_date, interval '1 day') g;

-- one row per worker and day worked: shift, entries (2 to 4), weekly group
create temp table g_plan as
select w.n as wn, w.id as wid, d.d, d.dn, d.off,
       case when d.off then 1 else w.shift end as sm,
       case when d.off then 2 else 2 + (pg_temp.pick(w.n, d.dn * 7 + 1, 20) >= 6)::int
                                     + (pg_temp.pick(w.n, d.dn * 7 + 1, 20) >= 15)::int end as k,
       case when d.off then 6 else 8 end as hours,
       g.groups[1 + pg_temp.pick(w.n, d.dn / 7, array_length(g.groups, 1))] as gn,
       (not d.off and w.shift < 3 and pg_temp.pick(w.n, d.dn * 7 + 2, 100) < 7) as overtime
  from g_worker w join g_wgrp g on g.wn = w.n cross join g_day d
 where (not d.off and pg_temp.pick(w.n, d.dn * 7 + 3, 100) >= 6)
    or (d.off and pg_temp.pick(w.n, d.dn * 7 + 4, 100) < 6);

------------------------------------------------------------------------------
-- Journal: the day's hours split over k different operations of the group;
-- overtime adds one shift-4 entry of 2 to 4 hours
------------------------------------------------------------------------------
create temp table g_entry as
select p.wid, p.d, p.dn, p.off, p.sm, p.wn, j,
       c.ops[1 + (pg_temp.pick(p.wn, p.dn * 7 + 5, c.cnt) + j) % c.cnt] as o_id,
       case when j < p.k then p.hours / p.k else p.hours - (p.k - 1) * (p.hours / p.k) end as h
  from g_plan p join g_cand c on c.wn = p.wn and c.gn = p.gn, generate_series(1, p.k) j
union all
select p.wid, p.d, p.dn, p.off, 4, p.wn, 0,
       c.ops[1 + (pg_temp.pick(p.wn, p.dn * 7 + 6, c.cnt)) % c.cnt],
       2 + pg_temp.pick(p.wn, p.dn * 7 + 7, 3)
  from g_plan p join g_cand c on c.wn = p.wn and c.gn = p.gn
 where p.overtime;

insert into accounts_dep.smena (w_id, i_id, o_id, kol_vo, brak, data, smena, cena, color, time,
                                ok, vvod, prize, id_doc, id_doc_item, f_gds_qty_use, id_gds_use, id_cons_use)
select e.wid, o.i_id, e.o_id,
       greatest(1, round(o.norma * e.h / 8.0 * (0.85 + pg_temp.pick(e.o_id, e.dn * 7 + e.j, 30) / 100.0)))::int,
       case when pg_temp.pick(e.wn, e.dn * 7 + e.j, 100) < 88 then 0 else 1 + pg_temp.pick(e.wn, e.dn, 3) end,
       e.d, e.sm,
       round(o.min_price::numeric * (case when e.off then 2 else 1 end)
             * (case e.sm when 3 then 1.2 when 4 then 1.5 else 1 end), 4)::double precision,
       case when o.kn <> 10 then 0
            when pg_temp.pick(e.wn, e.dn * 7 + e.j, 3) = 0 then 1
            else (array[1013, 1015, 3005, 3020, 5005, 5015, 6005, 7035, 8017, 9003])
                 [1 + pg_temp.pick(e.o_id, e.dn, 10)] end,
       e.h,
       case when e.d >= current_date - 1 then 'no'
            when pg_temp.pick(e.wn, e.dn * 7 + e.j + 3, 200) = 0 then 'да'
            else 'ok' end,
       e.d::timestamp, 0, 0, 0, 0, 0, 0
  from g_entry e join g_oprice o on o.o_id = e.o_id
 order by e.d, e.sm, e.wn, e.j;

------------------------------------------------------------------------------
-- Timesheet shift rows from the journal
------------------------------------------------------------------------------
insert into accounts_dep.h_tabel (w_id, month, year, smena,
  d1, d2, d3, d4, d5, d6, d7, d8, d9, d10, d11, d12, d13, d14, d15, d16,
  d17, d18, d19, d20, d21, d22, d23, d24, d25, d26, d27, d28, d29, d30, d31)
select w_id, extract(month from data), extract(year from data), smena,
  sum(time) filter (where extract(day from data) = 1),  sum(time) filter (where extract(day from data) = 2),
  sum(time) filter (where extract(day from data) = 3),  sum(time) filter (where extract(day from data) = 4),
  sum(time) filter (where extract(day from data) = 5),  sum(time) filter (where extract(day from data) = 6),
  sum(time) filter (where extract(day from data) = 7),  sum(time) filter (where extract(day from data) = 8),
  sum(time) filter (where extract(day from data) = 9),  sum(time) filter (where extract(day from data) = 10),
  sum(time) filter (where extract(day from data) = 11), sum(time) filter (where extract(day from data) = 12),
  sum(time) filter (where extract(day from data) = 13), sum(time) filter (where extract(day from data) = 14),
  sum(time) filter (where extract(day from data) = 15), sum(time) filter (where extract(day from data) = 16),
  sum(time) filter (where extract(day from data) = 17), sum(time) filter (where extract(day from data) = 18),
  sum(time) filter (where extract(day from data) = 19), sum(time) filter (where extract(day from data) = 20),
  sum(time) filter (where extract(day from data) = 21), sum(time) filter (where extract(day from data) = 22),
  sum(time) filter (where extract(day from data) = 23), sum(time) filter (where extract(day from data) = 24),
  sum(time) filter (where extract(day from data) = 25), sum(time) filter (where extract(day from data) = 26),
  sum(time) filter (where extract(day from data) = 27), sum(time) filter (where extract(day from data) = 28),
  sum(time) filter (where extract(day from data) = 29), sum(time) filter (where extract(day from data) = 30),
  sum(time) filter (where extract(day from data) = 31)
  from accounts_dep.smena
 group by w_id, extract(year from data), extract(month from data), smena
 order by 3, 2, 4, 1;

commit;
analyze;
