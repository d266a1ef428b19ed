#!/usr/bin/env bash
# Installs the build into a fresh prefix and runs the installed programs from /, where no data file
# lies in the working directory: each must find what it needs under the prefix, never in the source
# tree it was built from. Usage: install_test.sh BUILD_DIR
set -euo pipefail
build=$1
prefix=$(mktemp -d)
sim_pid=
cleanup() {
  if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null || true; fi
  rm -rf "$prefix"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/kestrio bin/kestrio-cli bin/kestrio-sim share/kestrio/ModulePointInfo.txt \
         share/kestrio/Advanced.mnu share/doc/kestrio/guide.md share/doc/kestrio/img/main-window.png \
         share/applications/kestrio.desktop share/icons/hicolor/scalable/apps/kestrio.svg; do
  [ -e "$prefix/$f" ] || fail "$f not installed"
done

cd /
for program in kestrio kestrio-cli kestrio-sim; do
  help=$(env -u DISPLAY -u WAYLAND_DISPLAY "$prefix/bin/$program" --help) || fail "$program --help failed"
  for section in NAME SYNOPSIS DESCRIPTION OPTIONS FILES "EXIT STATUS" "SEE ALSO"; do
    grep -qx "$section" <<<"$help" || fail "$program --help has no $section section"
  done
done

# The desktop program reads the module/point file at start and ends at once without it.
shown=$(QT_QPA_PLATFORM=offscreen KESTRIO_EXIT_AFTER_SHOW=1 "$prefix/bin/kestrio" --demo 2>/dev/null) ||
  fail "kestrio --demo did not start"
[ "$shown" = shown ] || fail "kestrio --demo did not show its window"

# kestrio-cli points needs the module/point file to name the rack's modules.
exec 3< <(exec "$prefix/bin/kestrio-sim" --port 0)
sim_pid=$!
read -r -t 30 -u 3 listening || fail "kestrio-sim did not start"
host=${listening#listening on }
points=$("$prefix/bin/kestrio-cli" --host "$host" points) || fail "kestrio-cli points failed"
grep -qx "slot 0: Digital: in | in | in | in" <<<"$points" || fail "unexpected points output: $points"
echo "installed into $prefix and ran from /"
