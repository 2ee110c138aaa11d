#!/usr/bin/env bash
# The demo shop loads into a fresh database made from the schema template, a
# second load changes nothing, and the data hang together: workers, products,
# operations and norms, the journal up to today with its prices, colours and
# marks, maintenance entries, and timesheet rows that match the journal.
#   demo_test.sh <build dir> <cluster dir>
set -euo pipefail
build=$(realpath "$1")
cluster=$(realpath "$2")
src=$(cd "$(dirname "$0")/.." && pwd)
addr=$(cat "$cluster/server")
bin=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n1)
db=t_demo_test
export PGCONNECT_TIMEOUT=10

pg() { "$bin/psql" -X -q -h "$addr" -p 5432 -v ON_ERROR_STOP=1 "$@"; }
admin() { PGOPTIONS="-c client_min_messages=warning" pg -U postgres -d postgres -c "$1" >/dev/null; }
fail() { echo "FAIL: $*" >&2; exit 1; }

admin "drop database if exists $db with (force)"
trap 'admin "drop database if exists $db with (force)" || true' EXIT
admin "create database $db template tabel_tpl owner erp_owner"

# Loaded as the tables' owner, an ordinary role: the demo set-up needs no superuser.
load() { pg -U erp_owner -d "$db" -f "$src/db/demo.sql" 2>&1; }

# Everything a load writes, and where the sequences stand.
fingerprint() {
  pg -U postgres -d "$db" -At <<'SQL'
select string_agg(x, ' ') from (
  select 'person=' || count(*) || '/' || coalesce(sum(id), 0) from accounts_dep.person
  union all select 'contractor=' || count(*) from cmn_contractor.person
  union all select 'item=' || count(*) from cmn_classifier.item
  union all select 'goods=' || count(*) from cmn_gds_and_srv.gds_and_srv
  union all select 'dep=' || count(*) from cmn_department.department
  union all select 'staffpos=' || count(*) from hrms_staffpos.staffpos
  union all select 'roles=' || count(*) from adm_role.roles
  union all select 'vid=' || count(*) from accounts_dep.vid_oper
  union all select 'oper=' || count(*) from accounts_dep.oper
  union all select 'norm=' || count(*) from accounts_dep.norm
  union all select 'smena=' || count(*) || '/' || coalesce(sum(kol_vo), 0) from accounts_dep.smena
  union all select 'fatigue=' || count(*) || '/' || coalesce(sum(price), 0) from accounts_dep.fatigue
  union all select 'h_tabel=' || count(*) from accounts_dep.h_tabel
  union all select 'ver=' || count(*) from accounts_dep.ver
  union all select sequencename || '=' || coalesce(last_value, 0) from pg_sequences
) s(x)
SQL
}

out=$(load) || { echo "$out" >&2; fail "first load of demo.sql failed"; }
[ -z "$out" ] || { echo "$out" >&2; fail "first load printed messages"; }
before=$(fingerprint)
out=$(load) || { echo "$out" >&2; fail "second load of demo.sql failed"; }
grep -q "demo data not loaded" <<<"$out" || { echo "$out" >&2; fail "second load did not say it skipped"; }
after=$(fingerprint)
[ "$before" = "$after" ] || fail "second load changed the database: $before -> $after"

# Each check prints its complaint when it does not hold.
problems=$(pg -U postgres -d "$db" -At <<'SQL'
-- workers
select 'workers: ' || count(*) from accounts_dep.person having count(*) not between 35 and 45;
select 'worker without its enterprise person: ' || p.fio
  from accounts_dep.person p left join cmn_contractor.person c on c.id = p.id
 where c.id is null or c.s_code is distinct from p.id::text or c.s_caption is distinct from p.fio;
select 'name not like "Фамилия И.О.": ' || fio from accounts_dep.person
 where fio !~ '^[А-ЯЁ][а-яё]+ [А-ЯЁ]\.[А-ЯЁ]\.$';
select 'positions missing' where (select count(distinct s_staffpos_hl) from accounts_dep.person) < 5
   or not exists (select 1 from accounts_dep.person where s_staffpos_hl = 'Сборщик')
   or not exists (select 1 from accounts_dep.person where s_staffpos_hl = 'Маляр')
   or not exists (select 1 from accounts_dep.person where s_staffpos_hl = 'Станочник');
select 'no departments, positions or roles' where not exists (select 1 from cmn_department.department)
   or not exists (select 1 from hrms_staffpos.staffpos s join cmn_department.department d on d.id = s.id_department)
   or not exists (select 1 from adm_role.roles);

-- products and nomenclature groups
select 'products: ' || count(*) from accounts_dep.izdel where id not in (7777, 7778)
having count(*) not between 55 and 65;
select 'product outside a level-2 group under a level-1 item: ' || z.marka
  from accounts_dep.izdel z
  left join cmn_classifier.item g on g.id = z.id_class_item and g.id_level = 2
  left join cmn_classifier.item p on p.id = g.id_parent and p.id_level = 1
 where z.id not in (7777, 7778) and (p.id is null or z.nom is null);
select 'nomenclature groups with products: ' || count(distinct id_class_item) from accounts_dep.izdel
 where id not in (7777, 7778) having count(distinct id_class_item) < 4;
select 'mark twice: ' || upper(marka) from accounts_dep.izdel group by upper(marka) having count(*) > 1;

-- operation kinds, operations, norms
select 'operation kinds: ' || count(*) from accounts_dep.vid_oper where id not in (7777, 7778)
having count(*) not between 10 and 14;
select 'no painting kind' where not exists
  (select 1 from accounts_dep.vid_oper where upper(vid) like '%КРАСКА%');
select 'operation without a norm: ' || o.id from accounts_dep.oper o
 where not exists (select 1 from accounts_dep.norm n where n.o_id = o.id);
select 'operation with a missing product or kind: ' || o.id from accounts_dep.oper o
 where not exists (select 1 from accounts_dep.izdel z where z.id = o.i_id)
    or not exists (select 1 from accounts_dep.vid_oper v where v.id = o.vid);
select 'operation twice: ' || vid || '/' || naimen || '/' || i_id from accounts_dep.oper
 group by vid, naimen, i_id having count(*) > 1;
select 'no operations with two and with three norms' where
  (select count(*) from (select o_id from accounts_dep.norm group by o_id having count(*) = 2) x) = 0
  or (select count(*) from (select o_id from accounts_dep.norm group by o_id having count(*) = 3) x) = 0;
select 'both kinds of product (finished, blanks) needed' where
  (select count(distinct (naimen = 0)) from accounts_dep.oper where id not in (7777, 7778)) < 2;

-- the journal: three months up to today, today included
select 'journal starts ' || min(data) || ', ends ' || max(data) from accounts_dep.smena
having min(data) > current_date - 89 or max(data) <> current_date;
select 'no entries today' where not exists (select 1 from accounts_dep.smena where data = current_date);
select 'workers in the journal: ' || count(distinct w_id) from accounts_dep.smena having count(distinct w_id) < 30;
select 'entry with a missing worker, product or operation: ' || s.id from accounts_dep.smena s
 where not exists (select 1 from accounts_dep.person p where p.id = s.w_id)
    or not exists (select 1 from accounts_dep.oper o where o.id = s.o_id and o.i_id = s.i_id);
select 'entry twice: ' || w_id || '/' || o_id || '/' || data || '/' || smena || '/' || color
  from accounts_dep.smena group by w_id, o_id, i_id, data, smena, color having count(*) > 1;
select 'bad quantities: ' || id from accounts_dep.smena
 where kol_vo < 1 or brak < 0 or brak > kol_vo or time < 1 or smena not between 1 and 4;
select 'hours of a working day ' || round(avg(h), 2) from (
  select sum(time) as h from accounts_dep.smena where smena <> 4 and extract(isodow from data) < 6
   group by w_id, data) x
having avg(h) not between 7 and 8.5 or max(h) > 12;
select 'shares of shifts 3 and 4 are not small' where
  (select count(*) filter (where smena = 3) * 1.0 / count(*) from accounts_dep.smena) not between 0.01 and 0.2
  or (select count(*) filter (where smena = 4) * 1.0 / count(*) from accounts_dep.smena) not between 0.005 and 0.1;
select 'weekend work missing or too common' where
  (select count(*) filter (where extract(isodow from data) >= 6) * 1.0 / count(*) from accounts_dep.smena)
  not between 0.002 and 0.1;

-- the journal query of shift 1 for today
select 'Smena1 finds nothing today' where not exists (
  select smena.id, smena.data, smena.smena, smena.i_id, smena.o_id, smena.w_id, smena.cena,person.s_caption fio,
         izdel.marka, vid_oper.vid, (SELECT (CASE naimen WHEN 0 THEN 'Готовая продукция' ELSE 'Заготовки' END)) as nmn,
         oper.naimen, smena.brak, smena.kol_vo::numeric, round((kol_vo-brak)*smena.cena::numeric, 2) as summa,
         smena.prize, color,time, smena.ok, vvod
    from cmn_contractor.person person, accounts_dep.izdel,accounts_dep.oper,accounts_dep.smena,accounts_dep.vid_oper
   where smena.i_id=izdel.id and smena.o_id=oper.id and (w_id=person.id or s_code::t_id=w_id)
     and oper.vid=vid_oper.id and smena.smena=1 and smena.data=current_date and ok!='ta');

-- acceptance marks: the last two days not accepted, older ones accepted, a few "да"
select 'mark ' || coalesce(ok, 'NULL') || ' on ' || data from accounts_dep.smena
 where (data >= current_date - 1 and ok is distinct from 'no')
    or (data < current_date - 1 and ok is distinct from 'ok' and ok is distinct from 'да');
select '"да" marks: ' || count(*) from accounts_dep.smena where ok = 'да'
having count(*) not between 3 and 0.03 * (select count(*) from accounts_dep.smena);
select 'vvod before the work date or in the future: ' || id from accounts_dep.smena
 where vvod::date < data or vvod::date > current_date;

-- colours: painting entries have one (1 = primer), the rest have none
select 'colour ' || s.color || ' on ' || rtrim(v.vid) from accounts_dep.smena s
  join accounts_dep.oper o on o.id = s.o_id join accounts_dep.vid_oper v on v.id = o.vid
 where (upper(v.vid) like '%КРАСКА%') <> (s.color > 0) or s.color < 0;
select 'no primer or no other colour' where
  not exists (select 1 from accounts_dep.smena where color = 1)
  or not exists (select 1 from accounts_dep.smena where color > 1);

-- prices: the operation's lowest norm price, x2 on a day off (weekends
-- always; every entry of a date alike), then x1.2 in shift 3, x1.5 in shift 4
with e as (
  select s.id, s.data, s.smena, s.cena,
         (select min(n.price) from accounts_dep.norm n where n.o_id = s.o_id)::numeric as base
    from accounts_dep.smena s),
f as (
  select e.*, m.m,
         abs(e.cena::numeric - round(e.base * m.m * case e.smena when 3 then 1.2 when 4 then 1.5 else 1 end, 4)) < 1e-9 as fits
    from e cross join (values (1), (2)) m(m))
select 'price ' || id || ': ' || min(cena) || ' from ' || min(base)
  from f group by id having not bool_or(fits)
union all
select 'weekend price not doubled on ' || data from f
 where fits and m = 1 and extract(isodow from data) >= 6 group by data
union all
select 'mixed day-off pricing on ' || data from f where fits group by data having count(distinct m) > 1;

-- every entry keeps the base and the day-off flag its price was set from
select 'price basis of ' || s.id || ': ' || coalesce(s.base_cena::text, 'NULL') || ', '
       || coalesce(s.i_holiday::text, 'NULL')
  from accounts_dep.smena s
 where s.base_cena is null or s.i_holiday is null
    or abs(s.cena::numeric - round(s.base_cena::numeric * (1 + s.i_holiday)
                                   * case s.smena when 3 then 1.2 when 4 then 1.5 else 1 end, 4)) > 1e-9
    or s.base_cena::numeric <> (select min(n.price) from accounts_dep.norm n where n.o_id = s.o_id)::numeric;
select 'no premiums in the demo' where not exists (select 1 from accounts_dep.smena where cena > base_cena);

-- maintenance (7777) and average piecework (7778)
select 'no ' || k || ' entries' from (values (7777), (7778)) v(k)
 where not exists (select 1 from accounts_dep.fatigue where id_o = k);
select 'no night or no day-off maintenance entries' where
  not exists (select 1 from accounts_dep.fatigue where i_night = 1)
  or not exists (select 1 from accounts_dep.fatigue where i_holiday = 1);
select 'maintenance entry with bad references: ' || f.id from accounts_dep.fatigue f
 where not exists (select 1 from accounts_dep.person p where p.id = f.id_p)
    or not exists (select 1 from cmn_classifier.item i where i.id = f.id_nom and i.id_level = 2)
    or f.i_mnth <> extract(month from f.d_date) or f.i_year <> extract(year from f.d_date)
    or f.i_smena <> 1 or f.cnt < 1;
select 'maintenance rate ' || f.price || ' on ' || f.d_date from accounts_dep.fatigue f
 where f.id_o = 7777 and f.price <>
   (select min(n.price) from accounts_dep.norm n join accounts_dep.oper o on o.id = n.o_id where o.vid = 7777)::numeric
   * (1 + f.i_holiday) * (case when f.i_night = 1 then 1.2 else 1 end);
-- average piecework is paid what the journal's recalculation gives
select 'average piecework rate ' || f.price || ' on ' || f.d_date from accounts_dep.fatigue f
 where f.id_o = 7778 and f.price <> coalesce((
   select case when coalesce(sum(s.time),0)::numeric(10,2)=0 then 0
               else coalesce(sum((s.kol_vo-s.brak)*(s.cena+s.cena*f.i_holiday))/sum(time),0)::numeric(10,2) end
     from cmn_classifier.item i, accounts_dep.smena s, accounts_dep.izdel gas, accounts_dep.person p
    where i.id_level = 2 and s.i_id = gas.id and gas.id_class_item = i.id
      and s.data >= make_date(f.i_year, f.i_mnth, 1)
      and s.data < make_date(f.i_year, f.i_mnth, 1) + interval '1 month'
      and p.id = s.w_id and p.id = f.id_p and i.id = f.id_nom), 0);
select 'average piecework paid nothing' where exists
  (select 1 from accounts_dep.fatigue where id_o = 7778 and price = 0);
select 'maintenance journal lists nothing' where not exists (
  select 1 from accounts_dep.fatigue f, cmn_classifier.item i, accounts_dep.person p, accounts_dep.vid_oper vo,
                accounts_dep.oper o
   where f.id_nom = i.id and p.id = f.id_p and vo.id = f.id_o and o.i_id >= 7777 and o.vid >= 7777);

-- timesheet rows agree with the journal and the maintenance entries
select 'timesheet row twice: ' || w_id || '/' || smena || '/' || i_type || '/' || i_night || '/' || month || '/' || year
  from accounts_dep.h_tabel group by w_id, smena, i_type, i_night, month, year having count(*) > 1;
select 'shift row with i_type or i_night: ' || id from accounts_dep.h_tabel
 where smena > 0 and (i_type <> 0 or i_night <> 0);
select 'hourly row with a bad kind: ' || id from accounts_dep.h_tabel
 where smena = 0 and (i_type not in (7777, 7778) or i_night not in (0, 1));
select 'hours past the end of the month: ' || h.id
  from accounts_dep.h_tabel h, unnest(array[d1,d2,d3,d4,d5,d6,d7,d8,d9,d10,d11,d12,d13,d14,d15,d16,
                                            d17,d18,d19,d20,d21,d22,d23,d24,d25,d26,d27,d28,d29,d30,d31])
                              with ordinality u(hrs, day)
 where u.hrs is not null
   and u.day > extract(day from make_date(h.year, h.month, 1) + interval '1 month - 1 day');
with cells as (
  select h.w_id, h.smena, h.i_type, h.i_night, make_date(h.year, h.month, u.day::int) as d, u.hrs
    from accounts_dep.h_tabel h, unnest(array[d1,d2,d3,d4,d5,d6,d7,d8,d9,d10,d11,d12,d13,d14,d15,d16,
                                              d17,d18,d19,d20,d21,d22,d23,d24,d25,d26,d27,d28,d29,d30,d31])
                                with ordinality u(hrs, day)
   where u.hrs is not null
     and u.day <= extract(day from make_date(h.year, h.month, 1) + interval '1 month - 1 day')),
work as (
  select w_id, smena, 0 as i_type, 0 as i_night, data as d, sum(time) as hrs
    from accounts_dep.smena group by w_id, smena, data
  union all
  select id_p::int, 0, id_o::int, i_night, d_date, sum(cnt)
    from accounts_dep.fatigue group by id_p, id_o, i_night, d_date)
select 'timesheet ' || coalesce(c.hrs::text, '-') || ' vs work ' || coalesce(w.hrs::text, '-')
       || ' for worker ' || coalesce(c.w_id, w.w_id) || ', shift ' || coalesce(c.smena, w.smena)
       || ', kind ' || coalesce(c.i_type, w.i_type) || ', ' || coalesce(c.d, w.d)
  from cells c full join work w
    on w.w_id = c.w_id and w.smena = c.smena and w.i_type = c.i_type and w.i_night = c.i_night and w.d = c.d
 where c.hrs is distinct from w.hrs;
select 'no timesheet rows for shifts 1 to 4 and both hourly kinds' where
  (select count(distinct smena) from accounts_dep.h_tabel where smena > 0) < 4
  or (select count(distinct i_type) from accounts_dep.h_tabel where smena = 0) < 2;
SQL
) || fail "checks could not run"
[ -z "$problems" ] || { echo "$problems" | head -n 40 >&2; fail "demo data are inconsistent"; }

# The sequences stand past the demo rows: inserts that take the defaults work.
pg -U erp_owner -d "$db" >/dev/null <<'SQL' || fail "an insert with default ids collided with demo rows"
begin;
insert into accounts_dep.person (fio, s_staffpos_hl) values ('Проверкин П.П.', 'Сборщик');
insert into cmn_classifier.item (id_classifier, id_level, s_caption) values (1, 2, 'Проверка');
insert into cmn_gds_and_srv.gds_and_srv (s_caption, s_description, id_msm_bs, massa) values ('ПР-1', '', 6, 1);
insert into accounts_dep.vid_oper (vid) values ('ПРОВЕРКА');
insert into accounts_dep.oper (vid, naimen, i_id, cena_new) values (1, 0, 1, 0);
insert into accounts_dep.norm (o_id, norma, price, prize) values (1, 1, 1, 0);
insert into accounts_dep.smena (w_id, i_id, o_id, kol_vo, brak, data, smena, cena, color, time, ok)
  values (1, 1, 1, 1, 0, current_date, 1, 1, 0, 1, 'no');
insert into accounts_dep.h_tabel (w_id, month, year, smena, d1) values (1, 1, 2000, 1, 8);
insert into accounts_dep.fatigue (id_nom, id_o, id_p, d_date, cnt, price) values (1, 7777, 1, current_date, 1, 150);
insert into cmn_department.department (s_caption) values ('Проверка');
insert into hrms_staffpos.staffpos (s_caption) values ('Проверка');
insert into adm_role.roles (s_name) values ('CHECK');
rollback;
SQL

# The program's own datasets, through its data module and the ODBC driver,
# find today's journal and the lists.
bench="$build/bench/bench_journal"
[ -x "$bench" ] || fail "$bench is not built"
today=$(pg -U postgres -d "$db" -At -c "select current_date")
counts=$("$bench" --db "$db" --server "$addr" --date "$today" --counts) || fail "bench_journal --counts failed"
expected=$(pg -U postgres -d "$db" -At <<'SQL'
select 'Smena' || s || '=' || (select count(*) from accounts_dep.smena where smena = s and data = current_date and ok <> 'ta')
  from generate_series(1, 4) s
union all
select 'Oper=' || count(*) from accounts_dep.oper o where exists (select 1 from accounts_dep.norm n where n.o_id = o.id)
union all
select 'Workers=' || count(*) from accounts_dep.person;
SQL
)
[ "$counts" = "$expected" ] || fail "datasets read $(echo $counts) where the tables hold $(echo $expected)"
grep -q '^Smena1=[1-9]' <<<"$counts" || fail "Smena1 is empty today"

echo "demo database consistent: $(echo $counts)"
