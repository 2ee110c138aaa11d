#!/usr/bin/env bash
# End-to-end smoke test of the real binary under a virtual X display:
#  1. against the test cluster the login window "Авторизация (build: …)" appears;
#  2. against a loopback address where nothing listens the program shows
#     "Ошибка!" and, once the message is answered, ends without a login window;
#  3. against a database a newer build has claimed it shows the version
#     message and ends by itself within about 5 seconds, unanswered.
set -uo pipefail
build=$1
cluster=$2
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1400x900x24" bash "$0" "$@"
fi
addr=$(cat "$cluster/server")
db=e2e_smoke
export PGHOST=$addr PGPORT=5432 PGUSER=postgres
psql -q -d postgres -c "drop database if exists $db with (force)" -c "create database $db template tabel_tpl owner sys" || exit 1

. "$(dirname "$0")/e2e_lib.sh"
E2E_NAME=smoke
trap e2e_kill_program EXIT
wait_window() { # name-regex timeout-seconds
  local t=0
  while [ "$t" -lt "$(( $2 * 10 ))" ]; do
    xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1 && return 0
    sleep 0.1; t=$((t + 1))
  done
  return 1
}
wait_exit() { # pid timeout-seconds
  local t=0
  while kill -0 "$1" 2>/dev/null; do
    [ "$t" -ge "$(( $2 * 10 ))" ] && return 1
    sleep 0.1; t=$((t + 1))
  done
  return 0
}

# 1. The login window on a reachable database.
start_program "$db" "$addr"
w=$(wait_window '^Авторизация \(build: [0-9]{8}\.[0-9]+\)$' 20) || fail "no login window"
title=$(xdotool getwindowname "$w")
echo "login window: $title"
# The build stamp was claimed in the version row.
stamp=$(psql -tA -d "$db" -c "select d || '.' || t from accounts_dep.ver")
[ "Авторизация (build: $stamp)" = "$title" ] || fail "version row $stamp does not match the caption $title"
# Esc in the login window ends the program.
xdotool windowactivate --sync "$w" key Escape 2>/dev/null || xdotool key Escape
wait_exit "$pid" 10 || fail "the program did not end on Esc in the login window"
pid=

# 2. Nothing listens: the connection message, then the end.
dead=""
for i in $(seq 250 -1 200); do
  a="127.0.0.$i"
  if ! timeout 1 bash -c "echo > /dev/tcp/$a/5432" 2>/dev/null; then dead=$a; break; fi
done
[ -n "$dead" ] || fail "no free loopback address"
start_program "$db" "$dead"
w=$(wait_window '^Ошибка!$' 30) || fail "no connection error window"
xdotool search --onlyvisible --name 'Авторизация' >/dev/null 2>&1 && fail "login window shown without a connection"
xdotool windowactivate --sync "$w" key Return 2>/dev/null || xdotool key Return
wait_exit "$pid" 10 || fail "the program did not end after the connection error"
pid=

# 3. A newer build has claimed the database: the message, and the end without
#    anyone answering it.
psql -q -d "$db" -c "update accounts_dep.ver set d = 99991231, t = 0" || fail "cannot set the version row"
start_program "$db" "$addr"
wait_window '^Ошибка$' 20 >/dev/null || fail "no version message"
wait_exit "$pid" 15 || fail "the program did not end by itself after the version message"
pid=
[ "$(psql -tA -d "$db" -c "select d from accounts_dep.ver")" = 99991231 ] || fail "an older build overwrote the newer stamp"
echo "e2e smoke: 3 passed, 0 failed"
