# Shared steps of the end-to-end checks, sourced inside the virtual display:
#   . "$(dirname "$0")/e2e_lib.sh"
# The sourcing script sets build (and, for wait_db, defines q), and may set
# E2E_NAME (names the failure screenshot). The program started last is $pid;
# its output goes to $E2E_LOG and is shown when a check fails.

pid=""
E2E_LOG=$(mktemp)

shot() { [ -n "${E2E_SHOTS:-}" ] && command -v import >/dev/null && import -window root "$E2E_SHOTS/$1.png"; return 0; }
fail() {
  echo "FAIL: $*" >&2
  shot "${E2E_NAME:-e2e}_fail"
  if [ -s "$E2E_LOG" ]; then
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
  rm -f "$E2E_LOG"
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
