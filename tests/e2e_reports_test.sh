#!/usr/bin/env bash
# End-to-end printed report under a virtual X display with the real program
# and the real database: log in with full rights, open "Отчеты" ->
# "Сводные отчеты" and press "Отчет по рабочим" with the mouse, and in the
# preview save the report through "Сохранить в PDF"
# (Ctrl+S) and the file dialog; the PDF is then read with pdftotext.
#   e2e_reports_test.sh <build dir> <cluster dir>
# E2E_SHOTS=<folder> keeps screenshots; E2E_MENU_X moves the click on the
# menu "Отчеты" (x in the journal window), E2E_BUTTON_Y the click on
# "Отчет по рабочим" (y in the reports window).
set -uo pipefail

build=$(realpath "$1")
cluster=$(realpath "$2")
addr=$(cat "$cluster/server")
db=e2e_reports
. "$(dirname "$0")/e2e_lib.sh"

if [ "${E2E_INNER:-}" != 1 ]; then
  e2e_need xvfb-run xdotool psql pdftotext
  e2e_fresh_db
  # One worker with 10 chairs at 12.5 on the 3rd of the previous month, and
  # 99 on the 1st of this month, which the report leaves out.
  pg -d "$db" <<'SQL' || exit 1
insert into cmn_classifier.item (id, id_level, s_caption) values (500, 2, 'Стулья');
insert into accounts_dep.person (id, fio, s_staffpos_hl) values (101, 'Иванов И.И.', 'Сборщик');
insert into cmn_gds_and_srv.gds_and_srv (id, s_caption, id_msm_bs, massa, id_class_item) values
  (2001, 'СТ-101', 6, 0.5, 500);
insert into accounts_dep.vid_oper (id, vid) values (11, 'Сборка');
insert into accounts_dep.oper (id, vid, naimen, i_id, cena_new) values (301, 11, 0, 2001, 0);
insert into accounts_dep.smena (w_id, i_id, o_id, kol_vo, brak, data, smena, cena, color, time, ok) values
  (101, 2001, 301, 10, 0, (date_trunc('month', current_date) - interval '1 month' + interval '2 days')::date,
   1, 12.5, 0, 8, 'ok'),
  (101, 2001, 301, 99, 0, date_trunc('month', current_date)::date, 1, 12.5, 0, 8, 'ok');
SQL
  e2e_inside
fi

# --- inside the virtual display
export QT_QPA_PLATFORM=xcb
out=$(mktemp -d)
E2E_NAME=reports
cleanup() {
  e2e_kill_program
  rm -rf "$out"
}
trap cleanup EXIT


first=$(psql -h "$addr" -p 5432 -U postgres -d "$db" -tA \
  -c "select to_char(date_trunc('month', current_date) - interval '1 month', 'DD.MM.YYYY')")
next=$(psql -h "$addr" -p 5432 -U postgres -d "$db" -tA \
  -c "select to_char(date_trunc('month', current_date), 'DD.MM.YYYY')")

HOME="$out" start_program "$db" "$addr"

jid=$(login_to_journal) || exit 1

# Menu "Отчеты" (third in the menu bar) with the mouse, then its one item.
click_at "$jid" "${E2E_MENU_X:-190}" 8
xdotool key Down Return
rid=$(wait_window '^Отчеты \(8\)$') || fail "no reports window from Отчеты -> Сводные отчеты"
focus "$rid"
shot reports_window

# "Отчет по рабочим", the first button under the period, with the mouse.
w=$(xdotool getwindowgeometry "$rid" | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p')
click_at "$rid" $((w / 2)) "${E2E_BUTTON_Y:-233}"
pid_preview=$(wait_window '^Отчет по рабочим$') || fail "no preview after Отчет по рабочим"
focus "$pid_preview"
sleep 1
shot reports_preview

# "Сохранить в PDF" (Ctrl+S): the file dialog proposes the report's name.
xdotool key ctrl+s
did=$(wait_window '^Сохранить в PDF$') || fail "no file dialog from Сохранить в PDF"
focus "$did"
shot reports_save
xdotool key ctrl+a
xdotool type --delay 20 -- "$out/report.pdf"
xdotool key Return
# The file is complete once pdftotext reads its last band.
text=""
for i in $(seq 1 75); do
  text=$(pdftotext -layout "$out/report.pdf" - 2>/dev/null | tr -s ' ')
  echo "$text" | grep -q "Итого:" && break
  sleep 0.2
done
[ -s "$out/report.pdf" ] || fail "no PDF written"
echo "$text" | grep -q "Отчет по рабочим за период с $first по $next" || fail "title missing in: $text"
echo "$text" | grep -q "Иванов И.И. Сумма с Р/К" || fail "worker heading missing in: $text"
echo "$text" | grep -q "Итого: 125,00 150,00" || fail "grand total missing in: $text"
echo "ok: report saved to PDF through the preview ($first - $next)"

# Esc closes the preview, the reports window and the journal: the program ends.
focus "$pid_preview"
xdotool key Escape
wait_gone '^Отчет по рабочим$' || fail "Esc did not close the preview"
focus "$rid"
xdotool key Escape
wait_gone '^Отчеты \(8\)$' || fail "Esc did not close the reports window"
focus "$jid"
xdotool key Escape
for i in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
kill -0 "$pid" 2>/dev/null && fail "Esc in the journal did not end the program"
pid=""
echo "e2e reports: passed"
