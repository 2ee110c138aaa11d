-- The set-based floor of the month's rebuild of hourly-work rows: the same
-- rows in one delete and one insert, for the month of the run's date. Ended
-- by a rollback, so that the floor leaves the program's rows as they were.
begin;
delete from accounts_dep.h_tabel where smena=0 and month=:month and year=:year;
insert into accounts_dep.h_tabel (i_type, w_id, i_night, month, year, d1, d2, d3, d4, d5, d6, d7, d8, d9, d10, d11, d12, d13, d14, d15, d16, d17, d18, d19, d20, d21, d22, d23, d24, d25, d26, d27, d28, d29, d30, d31)
select id_o::integer, id_p::integer, i_night, :month, :year,
  sum(cnt) filter (where extract(day from d_date) = 1),
  sum(cnt) filter (where extract(day from d_date) = 2),
  sum(cnt) filter (where extract(day from d_date) = 3),
  sum(cnt) filter (where extract(day from d_date) = 4),
  sum(cnt) filter (where extract(day from d_date) = 5),
  sum(cnt) filter (where extract(day from d_date) = 6),
  sum(cnt) filter (where extract(day from d_date) = 7),
  sum(cnt) filter (where extract(day from d_date) = 8),
  sum(cnt) filter (where extract(day from d_date) = 9),
  sum(cnt) filter (where extract(day from d_date) = 10),
  sum(cnt) filter (where extract(day from d_date) = 11),
  sum(cnt) filter (where extract(day from d_date) = 12),
  sum(cnt) filter (where extract(day from d_date) = 13),
  sum(cnt) filter (where extract(day from d_date) = 14),
  sum(cnt) filter (where extract(day from d_date) = 15),
  sum(cnt) filter (where extract(day from d_date) = 16),
  sum(cnt) filter (where extract(day from d_date) = 17),
  sum(cnt) filter (where extract(day from d_date) = 18),
  sum(cnt) filter (where extract(day from d_date) = 19),
  sum(cnt) filter (where extract(day from d_date) = 20),
  sum(cnt) filter (where extract(day from d_date) = 21),
  sum(cnt) filter (where extract(day from d_date) = 22),
  sum(cnt) filter (where extract(day from d_date) = 23),
  sum(cnt) filter (where extract(day from d_date) = 24),
  sum(cnt) filter (where extract(day from d_date) = 25),
  sum(cnt) filter (where extract(day from d_date) = 26),
  sum(cnt) filter (where extract(day from d_date) = 27),
  sum(cnt) filter (where extract(day from d_date) = 28),
  sum(cnt) filter (where extract(day from d_date) = 29),
  sum(cnt) filter (where extract(day from d_date) = 30),
  sum(cnt) filter (where extract(day from d_date) = 31)
  from accounts_dep.fatigue
 where d_date>=':first'::date and d_date<':next'::date and id_p is not null and id_o is not null and i_night is not null
 group by id_p, id_o, i_night;
rollback;
