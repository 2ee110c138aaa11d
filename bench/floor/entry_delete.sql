-- The statements of deleting a journal entry (an entry of the date) with its
-- timesheet upkeep, as one transaction. Ended by a rollback, so that the
-- floor leaves the database as it found it.
begin;
delete from accounts_dep.smena where id=:entry returning w_id as ew, data as ed, smena as es, extract(month from data)::int as em, extract(year from data)::int as ey, extract(day from data)::int as edd \gset
select pg_advisory_xact_lock(hashtext('h_tabel:' || :ew || ':' || :es || ':' || :em || ':' || :ey));
select coalesce(sum(time), 0) as tim from accounts_dep.smena where w_id=:ew and smena=:es and data=':ed'::date \gset
select count(w_id) as cnt from accounts_dep.h_tabel where w_id=:ew and smena=:es and month=:em and year=:ey \gset
\if :cnt > 0
update accounts_dep.h_tabel set d:edd=:tim where w_id=:ew and smena=:es and month=:em and year=:ey;
\endif
rollback;
