#!/usr/bin/env bash
# The Debian package on this very machine, as an administrator and a user
# meet it: install, print through CUPS and to a server, upgrade, purge.
#
#   tests/package/package_test.sh [BUILD_DIR]    (default: build/default)
#
# Needs root (dpkg, a private cupsd whose backend runs as root, a test
# user). CUPS is a private instance with the system's own backend folder, so
# the package's backend is found where the package put it, and the machine's
# own print system is never touched.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build/default}

if [ "$(id -u)" -ne 0 ]; then
  echo "package test: skipped (needs root for dpkg -i)"
  exit 0
fi

deb=$("$root/scripts/package.sh" "$build" | tail -n1)
echo "package test: $deb"

work=$(mktemp -d /tmp/zentrope-package-XXXXXX)
chmod 0755 "$work"
user=zentrope-pkgtest
server_pid=
fail=0
check() {   # check DESCRIPTION COMMAND...
  if "${@:2}"; then echo "ok:   $1"; else echo "FAIL: $1"; fail=1; fi
}
# setpriv runs the program itself (no parent left between), so its pid is the program's.
as_user() { setpriv --reuid="$user" --regid="$user" --init-groups env HOME="$work/home" USER="$user" LOGNAME="$user" "$@"; }
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null
  dpkg --purge zentrope >/dev/null 2>&1 || true
  "$root/tests/cups/private-cupsd.sh" stop "$work/cups" || true
  rm -rf /var/spool/zentrope /var/lib/zentrope
  pkill -u "$user" 2>/dev/null || true
  userdel -r "$user" >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

# A machine as a user has it: no earlier installation, a user who prints.
dpkg --purge zentrope >/dev/null 2>&1 || true
pkill -u "$user" 2>/dev/null || true
userdel -r "$user" >/dev/null 2>&1 || true
useradd --create-home --home-dir "$work/home" --shell /bin/sh "$user"
eval "$(ZENTROPE_CUPS_SYSTEM_BIN=1 "$root/tests/cups/private-cupsd.sh" start "$work/cups")"
export CUPS_SERVER

echo "-- install"
dpkg -i "$deb" >"$work/dpkg-install.log" 2>&1 || { cat "$work/dpkg-install.log"; exit 1; }
check "the package is installed" sh -c "dpkg-query -W -f='\${Status}' zentrope | grep -q 'install ok installed'"
for program in zentclient zentctl zentserver; do
  check "$program is on PATH" test "$(command -v $program)" = /usr/bin/$program
  # (A machine whose dpkg leaves out manual pages still gets them in the package.)
  check "$program has a manual page" sh -c "dpkg-deb -c '$deb' | grep -q 'usr/share/man/man1/$program.1.gz' &&
    { [ ! -e /usr/share/man/man1/$program.1.gz ] || man -w $program >/dev/null; }"
done
check "the backend is where CUPS runs it, root's alone" \
  test "$(stat -c '%a %U' /usr/lib/cups/backend/zentro)" = "700 root"
check "the printer description is where CUPS finds it" sh -c 'lpinfo -m | grep -q "zentrope/zentrope.ppd"'
check "CUPS finds the backend's device" sh -c 'lpinfo --include-schemes zentro -v | grep -q "zentro:/ZENTRO1"'
check "the installation put the printer into CUPS" sh -c 'lpstat -v Zentrope | grep -q "zentro:/ZENTRO1"'
check "the working directory is shared and sticky" test "$(stat -c '%a' /var/spool/zentrope)" = 1777
check "the save directories' base lists nobody's" test "$(stat -c '%a' /var/lib/zentrope)" = 1733
for entry in /usr/share/applications/org.zentrope.Zentrope.desktop /etc/xdg/autostart/org.zentrope.Zentrope.desktop; do
  check "$entry is a valid desktop entry" desktop-file-validate "$entry"
done
check "the AppStream metadata is valid" sh -c 'appstreamcli validate --no-net /usr/share/metainfo/org.zentrope.Zentrope.metainfo.xml >/dev/null'
check "the icon is there at 48 pixels and scalable" test -f /usr/share/icons/hicolor/48x48/apps/org.zentrope.Zentrope.png \
  -a -f /usr/share/icons/hicolor/scalable/apps/org.zentrope.Zentrope.svg
check "no self-updater in the package" sh -c '! dpkg -L zentrope | grep -Eq "libzsync|ftp.ini"'

echo "-- settings"
as_user zentctl settings >"$work/settings.txt"
for line in AppDir=/usr/lib/zentrope FirstTempDir=/var/spool/zentrope ClientSaveDir=/var/lib/zentrope \
            "UserSaveDir=/var/lib/zentrope/$user"; do
  check "zentctl settings shows $line" grep -qx "$line" "$work/settings.txt"
done
check "the processor is Debian's gs" \
  sh -c "zentctl reg get HKLM 'SOFTWARE\\ORLO Vestra\\Zentrope Client' PSProcessor | grep -qx /usr/bin/gs"
check "the user's save directory is theirs alone" \
  test "$(stat -c '%a %U' /var/lib/zentrope/$user)" = "700 $user"

echo "-- a job to the installed server"
printf '%%!PS-Adobe-3.0\n%%%%Pages: 1\n/Helvetica 24 selectfont 72 700 moveto (Installed) show showpage\n' >"$work/job.ps"
chmod 0644 "$work/job.ps"
mkdir -p "$work/spool" && chown "$user" "$work/spool"
as_user zentserver --port 0 --config /usr/share/zentrope/demo/zentserver.json --spool "$work/spool" \
  >"$work/server.out" 2>"$work/server.err" &
server_pid=$!
for _ in $(seq 50); do grep -q '^listening on' "$work/server.out" && break; sleep 0.1; done
address=$(sed -n 's/^listening on //p' "$work/server.out")
check "zentctl print delivers to zentserver ($address)" \
  as_user sh -c 'exec "$@" >/dev/null' - zentctl print "$work/job.ps" "laser@$address" --pages 1 --auth Voucher
check "the server stored the job" sh -c "find '$work/spool' -name job.bin | grep -q ."

echo "-- a job printed through CUPS waits in the queue"
as_user lp -d Zentrope -t "Waiting job" "$work/job.ps" >/dev/null
queued=
for _ in $(seq 150); do
  queued=$(find /var/spool/zentrope -maxdepth 1 -name 'ztp_*.ztp' -user "$user" | head -n1)
  [ -n "$queued" ] && break
  sleep 0.2
done
check "the printed job reached the working directory as the user's" test -n "$queued"
zentctl reg set HKLM 'SOFTWARE\ORLO Vestra\Zentrope Client' ClientDelay 7 >/dev/null
mkdir -p "/var/lib/zentrope/$user/kept" && chown "$user" "/var/lib/zentrope/$user/kept"

echo "-- upgrade"
# The next version: the same package with a higher version number.
dpkg-deb -R "$deb" "$work/next"
sed -i 's/^Version: .*/&+next1/' "$work/next/DEBIAN/control"
dpkg-deb --build --root-owner-group "$work/next" "$work/next.deb" >/dev/null
# With CUPS out of reach this time: the upgrade goes through and says so.
CUPS_SERVER=$work/no-cups.sock dpkg -i "$work/next.deb" >"$work/dpkg-upgrade.log" 2>&1 ||
  { cat "$work/dpkg-upgrade.log"; exit 1; }
check "the upgrade tells that CUPS does not run" grep -q 'CUPS does not run.*zentctl printer install' "$work/dpkg-upgrade.log"
check "the package was upgraded" sh -c "dpkg-query -W -f='\${Version}' zentrope | grep -q '+next1$'"
check "the queued job survives the upgrade" test -n "$queued" -a -f "$queued"
check "the user's save directory survives the upgrade" test -d "/var/lib/zentrope/$user/kept"
check "the administrator's settings survive the upgrade" \
  sh -c "zentctl reg get HKLM 'SOFTWARE\\ORLO Vestra\\Zentrope Client' ClientDelay | grep -qx 7"
check "the printer is still there" sh -c 'lpstat -v Zentrope | grep -q "zentro:/ZENTRO1"'
queue_lists_job() { as_user zentctl queue | grep -q 'Waiting job'; }
check "the queue still lists the job" queue_lists_job

echo "-- purge"
dpkg -L zentrope >"$work/files.txt"
kill "$server_pid" 2>/dev/null; wait "$server_pid" 2>/dev/null || true; server_pid=
dpkg --purge zentrope >"$work/dpkg-purge.log" 2>&1 || { cat "$work/dpkg-purge.log"; exit 1; }
left=$(while read -r path; do if [ -f "$path" ] || [ -L "$path" ]; then echo "$path"; fi; done <"$work/files.txt")
check "no file of the package is left${left:+: $left}" test -z "$left"
check "the machine settings are gone" test ! -e /etc/zentrope
check "the printer left CUPS" sh -c '! lpstat -v Zentrope >/dev/null 2>&1'
others=$(find /var/spool/zentrope /var/lib/zentrope -mindepth 1 ! -user "$user" 2>/dev/null || true)
check "what is left belongs to the user${others:+ (not: $others)}" test -z "$others"

exit $fail
