#!/usr/bin/env bash
# End-to-end timesheet by shifts under a virtual X display with the real
# program and the real database: log in with full rights, open "Табель по
# сменам" from the journal's menu "Табель" with the mouse and the keyboard,
# press "Перестроить" and check the month's shift rows in the database, press
# "Excel" and read the workbook back, and close the window with Esc.
#   e2e_timesheets_test.sh <build dir> <cluster dir>
# E2E_SHOTS=<folder> keeps screenshots of the window before and after.
set -uo pipefail

build=$(realpath "$1")
cluster=$(realpath "$2")
src=$(cd "$(dirname "$0")/.." && pwd)
addr=$(cat "$cluster/server")
db=e2e_timesheets
. "$(dirname "$0")/e2e_lib.sh"

if [ "${E2E_INNER:-}" != 1 ]; then
  e2e_need xvfb-run xdotool psql
  e2e_fresh_db
  # Two workers with entries this month: Иванов 5 + 4 hours on the 2nd in
  # shift 1, Петров 7 hours on the 3rd in shift 2 and 3 hours of overtime;
  # a stale shift row that the rebuild corrects and an hourly-work row it keeps.
  pg -d "$db" <<'SQL' || exit 1
insert into cmn_classifier.item (id, id_level, s_caption) values (500, 2, 'Стулья');
insert into accounts_dep.person (id, fio, s_staffpos_hl) values
  (101, 'Иванов И.И.', 'Сборщик'), (102, 'Петров П.П.', 'Маляр');
insert into cmn_gds_and_srv.gds_and_srv (id, s_caption, id_msm_bs, massa, id_class_item) values
  (2001, 'СТ-101', 6, 0.5, 500);
insert into accounts_dep.vid_oper (id, vid) values (11, 'Сборка');
insert into accounts_dep.oper (id, vid, naimen, i_id, cena_new) values (301, 11, 0, 2001, 0);
insert into accounts_dep.norm (o_id, norma, price, prize) values (301, 10, 12.5, 0);
insert into accounts_dep.smena (w_id, i_id, o_id, kol_vo, brak, data, smena, cena, color, time, ok, vvod, prize)
select w, 2001, 301, 10, 0, date_trunc('month', current_date)::date + d - 1, s, 12.5, 0, h, 'ok', now(), 0
  from (values (101, 2, 1, 5), (101, 2, 1, 4), (102, 3, 2, 7), (102, 3, 4, 3)) as e(w, d, s, h);
insert into accounts_dep.h_tabel (w_id, month, year, smena, d2, d9)
  values (101, extract(month from current_date), extract(year from current_date), 1, 1, 8);
insert into accounts_dep.h_tabel (w_id, month, year, i_type, i_night, d4)
  values (102, extract(month from current_date), extract(year from current_date), 7777, 0, 6);
SQL
  e2e_inside
fi

# --- inside the virtual display
export QT_QPA_PLATFORM=xcb
export TABEL_NO_OPEN=1
home=$(mktemp -d)
mkdir -p "$home/Documents"
export HOME="$home"
export XDG_CONFIG_HOME="$home/.config"
E2E_NAME=timesheets
cleanup() {
  e2e_kill_program
  rm -rf "$home"
}
trap cleanup EXIT


start_program "$db" "$addr"

jid=$(login_to_journal) || exit 1

# The menu "Табель" (second in the menu bar) with the mouse; its second item
# "Табель по сменам" with the keyboard.
click_at "$jid" "${E2E_MENU_X:-118}" "${E2E_MENU_Y:-12}"
xdotool key Down Down Return
tid=$(wait_window '^Табель по времени$') || fail "no timesheet by shifts from the menu"
focus "$tid"
shot timesheets_before
read -r tw th < <(size_of "$tid")

# "Перестроить" on the first tab, with the mouse.
click_at "$tid" "${E2E_REBUILD_X:-130}" $((th - ${E2E_TOOLS_DY:-62}))
month="extract(month from current_date) and year=extract(year from current_date)"
wait_db "select string_agg(w_id || ':' || smena || ':' || concat_ws(',', d2, d3, d9), ' ' order by w_id, smena)
         from accounts_dep.h_tabel where smena>0 and month=$month" "101:1:9 102:2:7 102:4:3" \
  || fail "the month's shift rows were not rebuilt"
[ "$(q "select d4 from accounts_dep.h_tabel where smena=0 and month=$month")" = 6 ] \
  || fail "the hourly-work row did not stay"
echo "ok: Перестроить rebuilt the month (9 on the 2nd, 7 and overtime 3 on the 3rd, the stale 8 gone)"
sleep 0.5
shot timesheets_after

# "Excel", left of "Перестроить".
click_at "$tid" "${E2E_EXCEL_X:-45}" $((th - ${E2E_TOOLS_DY:-62}))
book=""
for i in $(seq 1 75); do
  book=$(ls "$home/Documents"/*.xlsx 2>/dev/null | head -n1)
  [ -n "$book" ] && break
  sleep 0.2
done
[ -n "$book" ] || fail "no workbook after Excel"
/usr/bin/python3 - "$src/tests/xlsx_check.py" "$book" <<'PY' || fail "the workbook does not hold the month"
import json, subprocess, sys
out = json.loads(subprocess.run([sys.executable, sys.argv[1], sys.argv[2]], check=True,
                                capture_output=True).stdout)
cells = {(c["row"], c["column"]): c["value"] for c in out["sheets"][0]["cells"]}
assert cells[(2, 1)] == "Фамилия И.О.", cells.get((2, 1))
assert cells[(2, 33)] == "Итого", cells.get((2, 33))
assert cells[(3, 1)] == "Иванов И.И." and cells[(3, 3)] == 9 and cells[(3, 33)] == 9, [cells.get((3, c)) for c in (1, 3, 33)]
# Петров: shifts 2 and 4 on the 3rd and the hourly-work row on the 4th.
assert cells[(4, 1)] == "Петров П.П." and cells[(4, 4)] == 10 and cells[(4, 5)] == 6 and cells[(4, 33)] == 16, \
    [cells.get((4, c)) for c in (1, 4, 5, 33)]
assert max(c for (r, c) in cells) == 33
PY
echo "ok: Excel wrote the month ($(basename "$book"))"

xdotool key Escape
wait_gone '^Табель по времени$' || fail "Esc did not close the timesheet"
focus "$jid"
xdotool key Escape
for i in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
kill -0 "$pid" 2>/dev/null && fail "Esc in the journal did not end the program"
pid=""
echo "e2e timesheets: passed"
