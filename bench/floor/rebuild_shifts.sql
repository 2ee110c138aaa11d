-- The set-based floor of the month's rebuild of shift rows: the same rows
-- in one delete and one insert, for the month of the run's date. Ended by a
-- rollback, so that the floor leaves the program's rows as they were.
begin;
delete from accounts_dep.h_tabel where smena>0 and month=:month and year=:year;
insert into accounts_dep.h_tabel (smena, w_id, month, year, d1, d2, d3, d4, d5, d6, d7, d8, d9, d10, d11, d12, d13, d14, d15, d16, d17, d18, d19, d20, d21, d22, d23, d24, d25, d26, d27, d28, d29, d30, d31)
select smena, w_id, :month, :year,
  sum(time) filter (where extract(day from data) = 1),
  sum(time) filter (where extract(day from data) = 2),
  sum(time) filter (where extract(day from data) = 3),
  sum(time) filter (where extract(day from data) = 4),
  sum(time) filter (where extract(day from data) = 5),
  sum(time) filter (where extract(day from data) = 6),
  sum(time) filter (where extract(day from data) = 7),
  sum(time) filter (where extract(day from data) = 8),
  sum(time) filter (where extract(day from data) = 9),
  sum(time) filter (where extract(day from data) = 10),
  sum(time) filter (where extract(day from data) = 11),
  sum(time) filter (where extract(day from data) = 12),
  sum(time) filter (where extract(day from data) = 13),
  sum(time) filter (where extract(day from data) = 14),
  sum(time) filter (where extract(day from data) = 15),
  sum(time) filter (where extract(day from data) = 16),
  sum(time) filter (where extract(day from data) = 17),
  sum(time) filter (where extract(day from data) = 18),
  sum(time) filter (where extract(day from data) = 19),
  sum(time) filter (where extract(day from data) = 20),
  sum(time) filter (where extract(day from data) = 21),
  sum(time) filter (where extract(day from data) = 22),
  sum(time) filter (where extract(day from data) = 23),
  sum(time) filter (where extract(day from data) = 24),
  sum(time) filter (where extract(day from data) = 25),
  sum(time) filter (where extract(day from data) = 26),
  sum(time) filter (where extract(day from data) = 27),
  sum(time) filter (where extract(day from data) = 28),
  sum(time) filter (where extract(day from data) = 29),
  sum(time) filter (where extract(day from data) = 30),
  sum(time) filter (where extract(day from data) = 31)
  from accounts_dep.smena
 where data>=':first'::date and data<':next'::date and smena>0 and w_id is not null
 group by smena, w_id;
rollback;
