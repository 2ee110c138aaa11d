#!/usr/bin/env bash
# The Debian package: cpack builds tabel_<version>_amd64.deb from the build
# folder; its metadata declares the run-time dependencies; unpacked into a
# throw-away root (dpkg -x) it holds the program, the desktop entry (Office)
# with its icon and the database scripts; and the unpacked program, started
# against the test cluster under a virtual display, shows the login window.
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
  cmp -s "$root/usr/share/tabel/schema.sql" "$build/../db/schema.sql" 2>/dev/null \
    || cmp -s "$root/usr/share/tabel/schema.sql" "$(dirname "$0")/../db/schema.sql" || fail "schema.sql differs"
  echo "ok: program, desktop entry, icon and database scripts unpacked"

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
"$E2E_ROOT/usr/bin/tabel" "$db" "$addr" >/dev/null 2>&1 &
pid=$!
trap '{ kill -9 "$pid"; wait "$pid"; } 2>/dev/null' EXIT
for i in $(seq 1 75); do
  wid=$(xdotool search --onlyvisible --name '^Авторизация' 2>/dev/null | head -n1)
  [ -n "$wid" ] && break
  kill -0 "$pid" 2>/dev/null || fail "the installed program ended without a login window"
  sleep 0.2
done
[ -n "$wid" ] || fail "no login window from the installed program"
title=$(xdotool getwindowname "$wid")
[[ "$title" =~ ^Авторизация\ \(build:\ [0-9]{8}\.[0-9]+\)$ ]] || fail "login window title: $title"
echo "ok: the installed program shows \"$title\""
