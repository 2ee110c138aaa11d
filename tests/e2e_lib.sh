# Shared steps of the end-to-end checks:
#   . "$(dirname "$0")/e2e_lib.sh"
# The sourcing script sets build, cluster, addr and db, and may set E2E_NAME
# (names the failure screenshot). Outside the virtual display a script
# checks its tools (e2e_need), makes its database (e2e_fresh_db, then fills
# it) and runs itself again inside a virtual display (e2e_inside). Inside,
# the program started last is $pid; its output goes to $E2E_LOG and is shown
# when a check fails.

pid=""
E2E_LOG=""

pg() { psql -h "$addr" -p 5432 -U postgres -v ON_ERROR_STOP=1 -q "$@"; }
q() { psql -h "$addr" -p 5432 -U postgres -d "$db" -tA -c "$1"; }

# --- outside the virtual display
e2e_need() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 1; }
  done
}
# The script's database, new from the schema's template.
e2e_fresh_db() {
  pg -d postgres -c "drop database if exists $db with (force)" || exit 1
  pg -d postgres -c "create database $db template tabel_tpl owner sys" || exit 1
}
# Runs the script again inside a virtual display, drops its database and
# ends with the inner run's result.
e2e_inside() {
  E2E_INNER=1 timeout 300 xvfb-run -a -s "-screen 0 1600x1000x24" bash "$0" "$build" "$cluster"
  local rc=$?
  pg -d postgres -c "drop database if exists $db with (force)" >/dev/null 2>&1
  exit $rc
}

# --- inside the virtual display

shot() { [ -n "${E2E_SHOTS:-}" ] && command -v import >/dev/null && import -window root "$E2E_SHOTS/$1.png"; return 0; }
fail() {
  echo "FAIL: $*" >&2
  shot "${E2E_NAME:-e2e}_fail"
  if [ -n "$E2E_LOG" ] && [ -s "$E2E_LOG" ]; then
    echo "--- program output" >&2
    grep -v XDG_RUNTIME_DIR "$E2E_LOG" | tail -n 20 >&2
  fi
  exit 1
}
# Ends the program if it still runs and drops its output; for the script's
# EXIT trap.
e2e_kill_program() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
    { kill -9 "$pid"; wait "$pid"; } 2>/dev/null
  fi
  [ -n "$E2E_LOG" ] && rm -f "$E2E_LOG"
  return 0
}

# Waits up to 10 s until the X server of $DISPLAY answers.
wait_display() {
  local i
  for i in $(seq 1 50); do
    xdotool getdisplaygeometry >/dev/null 2>&1 && return 0
    sleep 0.2
  done
  return 1
}

# Starts the program with the given arguments in the background ($pid). A
# virtual display that is not yet, or no longer, taking clients makes the
# program end at once; it is started again then, up to three times.
start_program() {
  local try i
  [ -n "$E2E_LOG" ] || E2E_LOG=$(mktemp)
  for try in 1 2 3; do
    wait_display || fail "the virtual display $DISPLAY does not answer"
    : >"$E2E_LOG"
    "$build/tabel" "$@" >>"$E2E_LOG" 2>&1 &
    pid=$!
    for i in $(seq 1 10); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null || ! grep -q "could not connect to display" "$E2E_LOG"; then
      return 0
    fi
    wait "$pid" 2>/dev/null
    sleep 1
  done
  fail "the program could not reach the virtual display $DISPLAY"
}

# Types a code into the login window and presses Enter.
login() {
  local wid
  wid=$(wait_window '^Авторизация') || fail "no login window"
  focus "$wid"
  xdotool type --delay 30 -- "$1"
  xdotool key Return
}
# Logs in with full rights and prints the id of the journal window, which
# then has the keyboard: jid=$(login_to_journal) || exit 1
login_to_journal() {
  local jid
  login 61730482
  jid=$(wait_window '^Табель$') || fail "no journal window after login"
  focus "$jid"
  echo "$jid"
}

# Prints the id of the visible window whose title matches, waiting up to 15 s
# (less when the program ends).
wait_window() {
  local pattern=$1 wid i
  for i in $(seq 1 75); do
    wid=$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null | head -n1)
    if [ -n "$wid" ]; then echo "$wid"; return 0; fi
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.2
  done
  return 1
}
# Waits up to 15 s until no visible window's title matches.
wait_gone() {
  local i
  for i in $(seq 1 75); do
    [ -z "$(xdotool search --onlyvisible --name "$1" 2>/dev/null)" ] && return 0
    sleep 0.2
  done
  return 1
}
# Waits up to 15 s until the query (through the script's q) prints the
# expected text.
wait_db() {
  local i
  for i in $(seq 1 75); do
    [ "$(q "$1")" = "$2" ] && return 0
    sleep 0.2
  done
  echo "  $1 -> $(q "$1"), expected $2" >&2
  return 1
}
# Gives the window the keyboard.
focus() { xdotool windowactivate --sync "$1" >/dev/null 2>&1 || xdotool windowfocus --sync "$1" >/dev/null 2>&1; sleep 0.3; }
# Mouse click at a point of a window, x and y from its left and top edges
# (optionally a number of clicks).
click_at() { xdotool mousemove --window "$1" "$2" "$3" click --repeat "${4:-1}" --delay 120 1; sleep 0.3; }
size_of() { xdotool getwindowgeometry "$1" | sed -n 's/.*Geometry: \([0-9]*\)x\([0-9]*\).*/\1 \2/p'; }
