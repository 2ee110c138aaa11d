-- Maintenance works and average piecework for the large shop of
-- gen_large.sql: the last twelve months, about a third of the workers with
-- one to three entries on some working days, day or night, and the hourly-work
-- rows of the timesheet built from them. Load after gen_large.sql.

\set ON_ERROR_STOP on
\set QUIET on
set client_min_messages = warning;

begin;

insert into accounts_dep.fatigue (id_nom, id_o, id_p, d_date, i_mnth, i_year, i_smena, cnt, price, i_holiday, i_night)
select (select min(id) from cmn_classifier.item where id_level = 2),
       case when (p.id + extract(doy from g)::int) % 3 = 0 then 7778 else 7777 end,
       p.id, g::date, extract(month from g), extract(year from g), 1,
       1 + (p.id * 7 + extract(doy from g)::int + k) % 6,
       120 + (p.id % 5) * 10,
       0,
       ((p.id + k) % 4 = 0)::int
  from accounts_dep.person p,
       generate_series(date_trunc('month', current_date) - interval '12 months', current_date, interval '1 day') g,
       generate_series(1, 2) k
 where p.id % 3 = 0 and extract(isodow from g) < 6 and (p.id + extract(doy from g)::int + k) % 4 = 0;

insert into accounts_dep.h_tabel (i_type, w_id, i_night, month, year,
  d1, d2, d3, d4, d5, d6, d7, d8, d9, d10, d11, d12, d13, d14, d15, d16,
  d17, d18, d19, d20, d21, d22, d23, d24, d25, d26, d27, d28, d29, d30, d31)
select id_o, id_p, i_night, extract(month from d_date), extract(year from d_date),
  sum(cnt) filter (where extract(day from d_date) = 1),  sum(cnt) filter (where extract(day from d_date) = 2),
  sum(cnt) filter (where extract(day from d_date) = 3),  sum(cnt) filter (where extract(day from d_date) = 4),
  sum(cnt) filter (where extract(day from d_date) = 5),  sum(cnt) filter (where extract(day from d_date) = 6),
  sum(cnt) filter (where extract(day from d_date) = 7),  sum(cnt) filter (where extract(day from d_date) = 8),
  sum(cnt) filter (where extract(day from d_date) = 9),  sum(cnt) filter (where extract(day from d_date) = 10),
  sum(cnt) filter (where extract(day from d_date) = 11), sum(cnt) filter (where extract(day from d_date) = 12),
  sum(cnt) filter (where extract(day from d_date) = 13), sum(cnt) filter (where extract(day from d_date) = 14),
  sum(cnt) filter (where extract(day from d_date) = 15), sum(cnt) filter (where extract(day from d_date) = 16),
  sum(cnt) filter (where extract(day from d_date) = 17), sum(cnt) filter (where extract(day from d_date) = 18),
  sum(cnt) filter (where extract(day from d_date) = 19), sum(cnt) filter (where extract(day from d_date) = 20),
  sum(cnt) filter (where extract(day from d_date) = 21), sum(cnt) filter (where extract(day from d_date) = 22),
  sum(cnt) filter (where extract(day from d_date) = 23), sum(cnt) filter (where extract(day from d_date) = 24),
  sum(cnt) filter (where extract(day from d_date) = 25), sum(cnt) filter (where extract(day from d_date) = 26),
  sum(cnt) filter (where extract(day from d_date) = 27), sum(cnt) filter (where extract(day from d_date) = 28),
  sum(cnt) filter (where extract(day from d_date) = 29), sum(cnt) filter (where extract(day from d_date) = 30),
  sum(cnt) filter (where extract(day from d_date) = 31)
  from accounts_dep.fatigue
 group by id_p, id_o, i_night, extract(year from d_date), extract(month from d_date);

commit;
analyze accounts_dep.fatigue;
analyze accounts_dep.h_tabel;
