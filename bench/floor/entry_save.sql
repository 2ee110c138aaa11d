-- The statements of saving a new journal entry (the sample entry in the
-- overtime shift) with its timesheet upkeep, as one transaction. Ended by a
-- rollback, so that the floor leaves the database as it found it.
begin;
select pg_advisory_xact_lock(hashtext('smena:' || :worker || ':' || :operation || ':' || :product || ':' || ':dmy' || ':4:0'));
select count(id) as cnt from accounts_dep.SMENA where w_id=:worker and o_id=:operation and i_id=:product and data=to_date(':dmy', 'DD.MM.YYYY') and smena=4 and color=0;
insert into accounts_dep.SMENA(w_id, i_id, o_id, cena, kol_vo, brak, data, smena, color, time, vvod,ok, prize, id_doc, id_doc_item, f_gds_qty_use, id_gds_use, id_cons_use) values(:worker, :product, :operation, 12.5, 10, 0, to_date(':dmy', 'DD.MM.YYYY HH24:MI:SS'), 4, 0, 8, current_date, 'no', 0, 0, 0, 0, 0, 0);
select pg_advisory_xact_lock(hashtext('h_tabel:' || :worker || ':4:' || :month || ':' || :year));
select sum(time) as tim from accounts_dep.smena where w_id=:worker and smena=4 and data=to_date(':dmy', 'DD.MM.YYYY') group by w_id, smena, data;
select count(w_id) as cnt from accounts_dep.h_tabel where w_id=:worker and smena=4 and month=:month and year=:year \gset
\if :cnt > 0
update accounts_dep.h_tabel set d:day=8 where w_id=:worker and smena=4 and month=:month and year=:year;
\else
insert into accounts_dep.h_tabel(smena, w_id, month, year, d:day) values(4, :worker, :month, :year, 8);
\endif
rollback;
