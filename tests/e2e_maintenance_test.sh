#!/usr/bin/env bash
# End-to-end maintenance works under a virtual X display with the real
# program and the real database: log in, open "Ср.сд./хоз. работы" from the
# journal window with the mouse, press "Добавить", pick the worker and the
# nomenclature group through their lists with the keyboard, type the hours
# and press "Записать" with the mouse; then the entry and its hourly-work
# cell are checked in the database, and Esc closes both windows and ends the
# program.
#   e2e_maintenance_test.sh <build dir> <cluster dir>
# E2E_SHOTS=<folder> keeps screenshots of the dialog and the journal.
set -uo pipefail

build=$(realpath "$1")
cluster=$(realpath "$2")
addr=$(cat "$cluster/server")
db=e2e_maintenance
. "$(dirname "$0")/e2e_lib.sh"

if [ "${E2E_INNER:-}" != 1 ]; then
  e2e_need xvfb-run xdotool psql
  e2e_fresh_db
  # Two workers and two nomenclature groups; the schema's maintenance works
  # carry the hourly norm price 150.
  pg -d "$db" <<'SQL' || exit 1
insert into cmn_classifier.item (id, id_level, s_caption) values (500, 2, 'Стулья'), (501, 2, 'Шкафы');
insert into accounts_dep.person (id, fio, s_staffpos_hl) values
  (101, 'Иванов И.И.', 'Слесарь'), (102, 'Петров П.П.', 'Сборщик');
SQL
  e2e_inside
fi

# --- inside the virtual display
export QT_QPA_PLATFORM=xcb
E2E_NAME=maintenance
cleanup() { e2e_kill_program; }
trap cleanup EXIT


start_program "$db" "$addr"

jid=$(login_to_journal) || exit 1

# "Ср.сд./хоз. работы": the second button right of the journal's middle.
read -r jw jh < <(size_of "$jid")
click_at "$jid" "${E2E_BUTTON5_X:-$((jw / 2 + 180))}" $((jh - 22))
mid=$(wait_window '^Хоз\. работы \(25\)$') || fail "no maintenance journal after a click on Ср.сд./хоз. работы"
focus "$mid"
read -r mw mh < <(size_of "$mid")

# "Добавить", bottom left, with the mouse.
click_at "$mid" 45 $((mh - 22))
did=$(wait_window '^Хоз\. работы/среднесдельная \(24\)$') || fail "no entry dialog after a click on Добавить"
focus "$did"
read -r dw dh < <(size_of "$did")

# The worker: the dialog starts on the worker's "..."; Space opens the list,
# Down and Enter choose the second worker (Петров).
xdotool key space
lid=$(wait_window '^Список рабочих$') || fail "no worker list from the worker's button"
focus "$lid"
xdotool key Down Return
wait_gone '^Список рабочих$' || fail "the worker list did not close on Enter"
focus "$did"

# The group: Tab to its "...", Space, type the name's beginning, Enter.
xdotool key Tab space
nid=$(wait_window '^Номенклатура \(26\)$') || fail "no nomenclature list from its button"
focus "$nid"
xdotool type --delay 40 -- Шк
xdotool key Return
wait_gone '^Номенклатура \(26\)$' || fail "the nomenclature list did not close on Enter"
focus "$did"

# The kind stays "Хоз. работы"; Tab twice to the hours.
xdotool key Tab Tab
xdotool type --delay 30 -- 7
sleep 0.3
shot maintenance_dialog
# "Записать" with the mouse.
click_at "$did" $((dw - 137)) $((dh - 22))
wait_gone '^Хоз\. работы/среднесдельная' || fail "the dialog did not close after Записать"

day=$(q "select extract(day from current_date)::int")
wait_db "select count(*) from accounts_dep.fatigue" 1 || fail "no entry stored"
row=$(q "select id_p, id_nom, id_o, cnt, trim_scale(price), i_holiday, i_night, i_smena, d_date = current_date from accounts_dep.fatigue")
[ "$row" = "102|501|7777|7|150|0|0|1|t" ] || fail "stored entry is $row"
cell=$(q "select smena || '|' || d$day from accounts_dep.h_tabel where w_id=102 and i_type=7777 and i_night=0 and month=extract(month from current_date) and year=extract(year from current_date)")
[ "$cell" = "0|7" ] || fail "hourly-work cell of day $day is '$cell', expected 0|7"
echo "ok: entry stored (Петров, Шкафы, 7 h at 150), hourly-work day $day = 7"
sleep 0.5
shot maintenance_journal

# Esc closes the maintenance journal, then the journal window and the program.
focus "$mid"
xdotool key Escape
wait_gone '^Хоз\. работы \(25\)$' || fail "Esc did not close the maintenance journal"
focus "$jid"
xdotool key Escape
for i in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
kill -0 "$pid" 2>/dev/null && fail "Esc in the journal did not end the program"
pid=""
echo "e2e maintenance: passed"
