#!/usr/bin/env bash
# End-to-end login under a virtual X display with the real program and the
# real database: every role's code followed by Enter shows the journal window
# "Табель", whose Esc ends the program; a wrong code shows the error box
# "Ошибка"; Esc in the login window ends the program.
#   e2e_login_test.sh <build dir> <cluster dir>
# E2E_SHOTS=<folder> keeps a screenshot of each journal window shown.
set -uo pipefail

build=$(realpath "$1")
cluster=$(realpath "$2")
addr=$(cat "$cluster/server")
db=e2e_login

if [ "${E2E_INNER:-}" != 1 ]; then
  for tool in xvfb-run xdotool psql; do
    command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 1; }
  done
  pg() { psql -h "$addr" -p 5432 -U postgres -v ON_ERROR_STOP=1 -q "$@"; }
  pg -d postgres -c "drop database if exists $db with (force)" || exit 1
  pg -d postgres -c "create database $db template tabel_tpl owner sys" || exit 1
  # A small shop with today's entries in shifts 1 and 2, one of them hidden.
  pg -d "$db" <<'SQL' || exit 1
insert into cmn_classifier.item (id, id_level, s_caption) values (500, 2, 'Стулья');
insert into accounts_dep.person (id, fio, s_staffpos_hl) values
  (101, 'Иванов И.И.', 'Сборщик'), (102, 'Петрова А.С.', 'Маляр'), (103, 'Сидоров П.П.', 'Сборщик');
insert into cmn_gds_and_srv.gds_and_srv (id, s_caption, id_msm_bs, massa, id_class_item) values
  (2001, 'СТ-1 стул', 6, 0.5, 500), (2002, 'СТ-2 табурет', 6, 0.3, 500);
insert into accounts_dep.vid_oper (id, vid) values (11, 'Сборка'), (12, 'Покраска');
insert into accounts_dep.oper (id, vid, naimen, i_id, cena_new) values
  (301, 11, 0, 2001, 0), (302, 12, 1, 2002, 0);
insert into accounts_dep.norm (o_id, norma, price, prize) values (301, 10, 12.5, 0), (302, 20, 4.75, 0);
insert into accounts_dep.smena (w_id, i_id, o_id, kol_vo, brak, data, smena, cena, color, time, ok, vvod, prize) values
  (101, 2001, 301, 40, 1, current_date, 1, 12.5, 0, 8, 'ok', current_date, 0),
  (102, 2002, 302, 120, 3, current_date, 1, 4.75, 1013, 8, 'no', current_date, 0),
  (103, 2001, 301, 35, 0, current_date, 1, 12.5, 0, 7, 'да', current_date, 0),
  (103, 2002, 302, 10, 0, current_date, 1, 4.75, 1, 1, 'ta', current_date, 0),
  (101, 2002, 302, 60, 2, current_date, 2, 4.75, 0, 4, 'no', current_date, 0);
SQL
  E2E_INNER=1 timeout 400 xvfb-run -a -s "-screen 0 1600x1000x24" bash "$0" "$build" "$cluster"
  rc=$?
  pg -d postgres -c "drop database if exists $db with (force)" >/dev/null 2>&1
  exit $rc
fi

# --- inside the virtual display
export QT_QPA_PLATFORM=xcb
. "$(dirname "$0")/e2e_lib.sh"
E2E_NAME=login
trap e2e_kill_program EXIT

# True when the program has ended within 10 s with exit code 0.
wait_exit() {
  local i
  for i in $(seq 1 50); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid"
      local rc=$?
      pid=""
      [ "$rc" = 0 ]
      return
    fi
    sleep 0.2
  done
  return 1
}

for code in 61730482 0583 fidrax quorbel tumpo; do
  start_program "$db" "$addr"
  login "$code"
  jid=$(wait_window '^Табель$') || fail "no journal window after code $code"
  [ -z "$(xdotool search --onlyvisible --name '^Авторизация' 2>/dev/null)" ] || fail "login window still shown ($code)"
  if [ -n "${E2E_SHOTS:-}" ] && command -v import >/dev/null; then
    sleep 1
    import -window root "$E2E_SHOTS/journal_$code.png"
  fi
  focus "$jid"
  xdotool key Escape
  wait_exit || fail "Esc in the journal did not end the program ($code)"
  echo "ok: code $code shows the journal, Esc ends the program"
done

start_program "$db" "$addr"
login "quorbe1"
eid=$(wait_window '^Ошибка$') || fail "no error box after a wrong code"
[ -z "$(xdotool search --onlyvisible --name '^Табель$' 2>/dev/null)" ] || fail "journal shown after a wrong code"
echo "ok: a wrong code shows Ошибка"
# The login window stays for another try.
focus "$eid"
xdotool key Return
login "quorbel"
jid=$(wait_window '^Табель$') || fail "no journal window after a wrong code and the right one"
focus "$jid"
xdotool key Escape
wait_exit || fail "Esc in the journal did not end the program (second try)"
echo "ok: the right code after a wrong one shows the journal"

start_program "$db" "$addr"
wid=$(wait_window '^Авторизация') || fail "no login window"
focus "$wid"
xdotool key Escape
wait_exit || fail "Esc in the login window did not end the program"
echo "ok: Esc in the login window ends the program"
