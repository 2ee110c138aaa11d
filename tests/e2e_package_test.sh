#!/usr/bin/env bash
# The Debian package: cpack builds tabel_<version>_amd64.deb from the build
# folder; its metadata declares the run-time dependencies; unpacked into a
# throw-away root (dpkg -x) it holds the program, the desktop entry (Office)
# with its icon, the manual page, the connection settings file
# /etc/tabel/tabel.conf (a configuration file, values commented out) and the
# database scripts; lintian finds no error in it; the unpacked program
# answers --help and --version without a display; and, under a virtual
# display, it shows the login window when started against the test cluster
# by its arguments and by a settings file without arguments (as the desktop
# entry starts it), and says on standard error what it tried when the
# settings file names a server that is not there.
#   e2e_package_test.sh <build dir> <cluster dir>
set -uo pipefail

build=$(realpath "$1")
cluster=$(realpath "$2")
addr=$(cat "$cluster/server")
db=e2e_package
fail() { echo "FAIL: $*" >&2; exit 1; }

if [ "${E2E_INNER:-}" != 1 ]; then
  for tool in cpack dpkg dpkg-deb xvfb-run xdotool psql; do
    command -v "$tool" >/dev/null || fail "missing $tool"
  done
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 \
    || { cat "$work/cpack.log" >&2; fail "cpack failed"; }
  debs=("$work"/out/tabel_*_amd64.deb)
  [ ${#debs[@]} = 1 ] && [ -f "${debs[0]}" ] || fail "no tabel_<version>_amd64.deb: $(ls "$work/out")"
  deb=${debs[0]}
  echo "ok: $(basename "$deb")"

  depends=$(dpkg-deb -f "$deb" Depends)
  for dep in odbc-postgresql unixodbc libqt6sql6-odbc qt6-translations-l10n libqt6widgets6 libqt6sql6; do
    grep -Eq "(^|, )$dep( |,|$)" <<<"$depends" || fail "Depends lacks $dep: $depends"
  done
  [ "$(dpkg-deb -f "$deb" Package)" = tabel ] || fail "package name"
  echo "ok: dependencies declared"

  root="$work/root"
  dpkg -x "$deb" "$root" || fail "dpkg -x"
  for f in usr/bin/tabel usr/share/applications/tabel.desktop usr/share/icons/hicolor/scalable/apps/tabel.svg \
           usr/share/tabel/schema.sql usr/share/tabel/demo.sql; do
    [ -s "$root/$f" ] || fail "missing /$f"
  done
  [ -x "$root/usr/bin/tabel" ] || fail "/usr/bin/tabel not executable"
  desktop="$root/usr/share/applications/tabel.desktop"
  grep -qx 'Categories=Office;' "$desktop" || fail "desktop entry not under Office"
  grep -qx 'Icon=tabel' "$desktop" || fail "desktop entry without the icon"
  grep -Eqx 'Exec=tabel( .*)?' "$desktop" || fail "desktop entry does not start tabel"
  if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || fail "desktop entry invalid"
  fi
  for f in usr/share/man/man1/tabel.1.gz usr/share/doc/tabel/copyright usr/share/doc/tabel/changelog.gz \
           etc/tabel/tabel.conf; do
    [ -s "$root/$f" ] || fail "missing /$f"
  done
  dpkg-deb -I "$deb" conffiles | grep -qx /etc/tabel/tabel.conf || fail "/etc/tabel/tabel.conf is not a configuration file"
  # The shipped settings name the built-in values, commented out.
  grep -Eq '^[[:space:]]*(name|server)[[:space:]]*=' "$root/etc/tabel/tabel.conf" && fail "tabel.conf sets values"
  grep -qx ';name=mill_erp' "$root/etc/tabel/tabel.conf" || fail "tabel.conf lacks the built-in database, commented"
  grep -Eqx 'Exec=tabel' "$desktop" || fail "the desktop entry passes arguments"
  gzip -t "$root/usr/share/man/man1/tabel.1.gz" || fail "manual page not gzip"
  if command -v man >/dev/null; then
    page=$(man -l "$root/usr/share/man/man1/tabel.1.gz" 2>&1 | cat) || fail "man cannot show the page"
    grep -q '/etc/tabel/tabel.conf' <<<"$page" || fail "the manual page does not name the settings file"
  fi
  cmp -s "$root/usr/share/tabel/schema.sql" "$build/../db/schema.sql" 2>/dev/null \
    || cmp -s "$root/usr/share/tabel/schema.sql" "$(dirname "$0")/../db/schema.sql" || fail "schema.sql differs"
  echo "ok: program, desktop entry, icon, manual page, settings file and database scripts unpacked"

  # --help and --version: no display, no database.
  bare=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u LD_LIBRARY_PATH)
  version=$("${bare[@]}" timeout 20 "$root/usr/bin/tabel" --version 2>&1) || fail "tabel --version failed: $version"
  [[ "$version" =~ ^tabel\ [0-9]+\.[0-9]+\.[0-9]+\ \(build:\ [0-9]{8}\.[0-9]+\)$ ]] || fail "tabel --version: $version"
  help=$("${bare[@]}" timeout 20 "$root/usr/bin/tabel" --help 2>&1) || fail "tabel --help failed: $help"
  for part in 'Использование: tabel' /etc/tabel/tabel.conf tabel/tabel.conf README; do
    grep -qF -- "$part" <<<"$help" || fail "tabel --help does not mention $part"
  done
  echo "ok: $version; --help without a display"

  if command -v lintian >/dev/null; then
    lintian --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1
    if grep -q '^E: ' "$work/lintian.log"; then
      cat "$work/lintian.log" >&2
      fail "lintian reports errors"
    fi
    echo "ok: lintian finds no error ($(grep -c '^W: ' "$work/lintian.log") warnings)"
  fi

  pg() { psql -h "$addr" -p 5432 -U postgres -v ON_ERROR_STOP=1 -q "$@"; }
  pg -d postgres -c "drop database if exists $db with (force)" || exit 1
  pg -d postgres -c "create database $db template tabel_tpl owner sys" || exit 1
  E2E_INNER=1 E2E_ROOT="$root" timeout 120 xvfb-run -a -s "-screen 0 1280x800x24" bash "$0" "$build" "$cluster"
  rc=$?
  pg -d postgres -c "drop database if exists $db with (force)" >/dev/null 2>&1
  exit $rc
fi

# --- inside the virtual display: the unpacked program, system Qt only
export QT_QPA_PLATFORM=xcb
unset LD_LIBRARY_PATH
# The user's settings live in a throw-away folder; without a file there the
# arguments decide.
conf_home=$(mktemp -d)
export XDG_CONFIG_HOME=$conf_home
err=$conf_home/stderr
pid=""
stop_program() { [ -n "$pid" ] && { kill -9 "$pid"; wait "$pid"; } 2>/dev/null; pid=""; return 0; }
trap 'stop_program; rm -rf "$conf_home"' EXIT

# Starts the unpacked program with the given arguments ($pid).
start() {
  "$E2E_ROOT/usr/bin/tabel" "$@" >/dev/null 2>"$err" &
  pid=$!
}
# Prints the id of a visible window whose title matches, waiting up to 15 s
# (less when the program ends).
wait_title() {
  local wid i
  for i in $(seq 1 75); do
    wid=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1)
    [ -n "$wid" ] && { echo "$wid"; return 0; }
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.2
  done
  return 1
}
# The login window's title carries the build stamp once its first activation
# has run the version check.
login_title='^Авторизация \(build: [0-9]{8}\.[0-9]+\)$'
check_login() {
  local title
  title=$(xdotool getwindowname "$1")
  [[ "$title" =~ ^Авторизация\ \(build:\ [0-9]{8}\.[0-9]+\)$ ]] || fail "login window title: $title"
  echo "$title"
}

# 1. Database and server as arguments.
start "$db" "$addr"
wid=$(wait_title "$login_title") || fail "no login window from the installed program: $(cat "$err")"
title=$(check_login "$wid") || exit 1
echo "ok: the installed program shows \"$title\""
stop_program

# 2. No arguments: the shipped settings file, filled in by the administrator,
#    as the user's settings file.
mkdir -p "$conf_home/tabel"
sed -e "s/^;name=.*/name=$db/" -e "s/^;server=.*/server=$addr/" "$E2E_ROOT/etc/tabel/tabel.conf" >"$conf_home/tabel/tabel.conf"
start
wid=$(wait_title "$login_title") || fail "no login window from the settings file: $(cat "$err")"
title=$(check_login "$wid") || exit 1
echo "ok: started without arguments, the settings file leads to \"$title\""
stop_program

# 3. The settings file names a server that is not there: the usual message,
#    and on standard error what was tried and where it came from.
dead=""
for i in $(seq 250 -1 200); do
  a="127.0.0.$i"
  if ! timeout 1 bash -c "echo > /dev/tcp/$a/5432" 2>/dev/null; then dead=$a; break; fi
done
[ -n "$dead" ] || fail "no free loopback address"
sed -i "s/^server=.*/server=$dead/" "$conf_home/tabel/tabel.conf"
start
wid=$(wait_title '^Ошибка!$') || fail "no connection error window: $(cat "$err")"
xdotool search --onlyvisible --name '^Авторизация' >/dev/null 2>&1 && fail "login window shown without a connection"
expected="tabel: нет подключения к БД: база данных «$db», сервер «$dead», порт 5432; настройки: файл $conf_home/tabel/tabel.conf"
grep -qxF "$expected" "$err" || fail "standard error does not say what was tried: $(cat "$err")"
xdotool windowactivate --sync "$wid" key Return 2>/dev/null || xdotool key Return
for i in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
kill -0 "$pid" 2>/dev/null && fail "the program did not end after the connection error"
pid=""
echo "ok: a settings file naming an absent server: the message, the end, and on standard error: $expected"
