#!/usr/bin/env bash
# End-to-end journal entry under a virtual X display with the real program and
# the real database: log in with full rights, press "Добавить" with the mouse,
# pick the worker by a click on the worker box and the operation with the
# keyboard, type quantity and hours, press "Запись" with the mouse; then the
# entry and its timesheet cell are checked in the database, the entry is
# accepted by a double click on the journal row, and Esc ends the program.
#   e2e_entry_test.sh <build dir> <cluster dir>
# E2E_SHOTS=<folder> keeps screenshots of the editor and the journal;
# E2E_ROW_Y moves the double click (y of the first journal row).
set -uo pipefail

build=$(realpath "$1")
cluster=$(realpath "$2")
addr=$(cat "$cluster/server")
db=e2e_entry
. "$(dirname "$0")/e2e_lib.sh"

if [ "${E2E_INNER:-}" != 1 ]; then
  e2e_need xvfb-run xdotool psql
  e2e_fresh_db
  # A small shop: two workers, a chair with an assembly operation (lowest
  # norm price 12.5) and a stool with a painting one.
  pg -d "$db" <<'SQL' || exit 1
insert into cmn_classifier.item (id, id_level, s_caption) values (500, 2, 'Стулья');
insert into accounts_dep.person (id, fio, s_staffpos_hl) values
  (101, 'Иванов И.И.', 'Сборщик'), (102, 'Петров П.П.', 'Маляр');
insert into cmn_gds_and_srv.gds_and_srv (id, s_caption, id_msm_bs, massa, id_class_item) values
  (2001, 'СТ-101', 6, 0.5, 500), (2002, 'ТБ-202', 6, 0.3, 500);
insert into accounts_dep.vid_oper (id, vid) values (11, 'Сборка'), (12, 'Покраска');
insert into accounts_dep.oper (id, vid, naimen, i_id, cena_new) values
  (301, 11, 0, 2001, 0), (302, 12, 1, 2002, 0);
insert into accounts_dep.norm (o_id, norma, price, prize) values
  (301, 10, 12.5, 0), (301, 20, 14, 0), (302, 20, 4.75, 0);
SQL
  e2e_inside
fi

# --- inside the virtual display
export QT_QPA_PLATFORM=xcb
E2E_NAME=entry
cleanup() { e2e_kill_program; }
trap cleanup EXIT


start_program "$db" "$addr"

jid=$(login_to_journal) || exit 1

# "Добавить", bottom left of the journal window, with the mouse.
read -r jw jh < <(size_of "$jid")
click_at "$jid" 60 $((jh - 22))
eid=$(wait_window '^Заведение новой позиции \(11\)$') || fail "no entry editor after a click on Добавить"
focus "$eid"
read -r ew eh < <(size_of "$eid")

# The worker: a click on the worker box opens the worker list; the second
# worker (Петров) is chosen with Down and Enter.
click_at "$eid" 130 67
lid=$(wait_window '^Список рабочих$') || fail "no worker list after a click on the worker box"
focus "$lid"
xdotool key Down Return
wait_gone '^Список рабочих$' || fail "the worker list did not close on Enter"
focus "$eid"

# The operation: Tab from the worker's "..." to the operation's, Space opens
# the operations list; the stool's painting is found by its mark's number.
xdotool key Tab space
oid=$(wait_window '^Операции$') || fail "no operations list from the operation's button"
focus "$oid"
xdotool type --delay 40 -- 202
xdotool key Return
wait_gone '^Операции$' || fail "the operations list did not close on Enter"
focus "$eid"

# Quantity, hours and colour: from the worker's "..." the tab order goes to
# the operation's "...", the quantity, the hours and the colour.
xdotool key Tab Tab
xdotool type --delay 30 -- 12
xdotool key Tab
xdotool type --delay 30 -- 8
xdotool key Tab
xdotool type --delay 30 -- 3
shot editor
# "Запись" with the mouse.
click_at "$eid" $((ew - 137)) $((eh - 22))
wait_gone '^Заведение новой позиции' || fail "the editor did not close after Запись"

# The entry and its timesheet cell in the database.
today=$(q "select current_date")
day=$(q "select extract(day from current_date)::int")
wait_db "select count(*) from accounts_dep.smena" 1 || fail "no entry stored"
row=$(q "select w_id, i_id, o_id, kol_vo, brak, time, color, smena, ok, data = current_date from accounts_dep.smena")
[ "$row" = "102|2002|302|12|0|8|3|1|no|t" ] || fail "stored entry is $row"
# The price: 4.75, doubled on a weekend day (the journal marks those as days off).
dow=$(q "select extract(isodow from current_date)::int")
price=$(q "select cena from accounts_dep.smena")
if [ "$dow" -ge 6 ]; then want=9.5; else want=4.75; fi
[ "$price" = "$want" ] || fail "stored price $price, expected $want"
cell=$(q "select d$day from accounts_dep.h_tabel where w_id=102 and smena=1 and month=extract(month from current_date) and year=extract(year from current_date)")
[ "$cell" = 8 ] || fail "timesheet cell of $today is '$cell', expected 8"
echo "ok: entry stored (102, 12 pcs, 8 h, colour 3, price $price), timesheet day $day = 8"

# Acceptance: a double click on the journal's first row turns "no" into "ok".
focus "$jid"
shot journal
click_at "$jid" 120 "${E2E_ROW_Y:-88}" 2
wait_db "select ok from accounts_dep.smena" ok || fail "the double click did not accept the entry"
echo "ok: the double click accepted the entry"

xdotool key Escape
for i in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
kill -0 "$pid" 2>/dev/null && fail "Esc in the journal did not end the program"
pid=""
echo "e2e entry: passed"
