#!/usr/bin/env bash
# A private print system for tests and screenshots: its own configuration,
# spool, temporary and socket directory, the system's filters, and an empty
# backend/ folder for the backends a test installs.
#
#   private-cupsd.sh start DIR   starts cupsd in DIR (made if missing) and
#                                prints CUPS_SERVER=... and CUPS_SERVERBIN=...
#   private-cupsd.sh stop DIR    stops it
#
# Variables ZENTROPE_MACHINE_REGISTRY and ZENTROPE_IPC of the caller are
# passed on to the backends. ZENTROPE_CUPS_SYSTEM_BIN=1 gives it the system's
# own backends and filters instead (to find what a package installed there).
# Needs root (the backend runs as root).
set -euo pipefail

action=${1:-}; dir=${2:-}
[ -n "$action" ] && [ -n "$dir" ] || { echo "usage: $0 start|stop DIR" >&2; exit 2; }
system_bin=/usr/lib/cups

case "$action" in
start)
  command -v cupsd >/dev/null 2>&1 || [ -x /usr/sbin/cupsd ] || { echo "no cupsd installed" >&2; exit 3; }
  [ "$(id -u)" -eq 0 ] || { echo "a private cupsd needs root" >&2; exit 3; }
  mkdir -p "$dir"
  dir=$(cd "$dir" && pwd)
  mkdir -p "$dir"/{conf,spool,cache,state,log,tmp,bin/backend}
  server_bin=$dir/bin
  [ "${ZENTROPE_CUPS_SYSTEM_BIN:-0}" = 1 ] && server_bin=$system_bin
  # Filters run as lp and clients as anyone: every directory on the way to
  # ServerBin and the socket may be searched by all (root's own -x test says
  # nothing about that), and the temporary directory is everybody's.
  chmod 0755 "$dir" "$dir/bin" "$dir/bin/backend" "$dir/conf" "$dir/spool"
  chmod 1777 "$dir/tmp"
  p=$dir
  while [ "$p" != / ]; do
    p=$(dirname "$p")
    chmod o+x "$p"
  done
  for sub in filter daemon cgi-bin driver monitor notifier; do
    [ -e "$system_bin/$sub" ] && ln -sfn "$system_bin/$sub" "$dir/bin/$sub"
  done
  for backend in parallel socket ipp; do
    [ -e "$system_bin/backend/$backend" ] && ln -sfn "$system_bin/backend/$backend" "$dir/bin/backend/$backend"
  done
  {
    echo "Listen $dir/cups.sock"
    echo "LogLevel ${ZENTROPE_CUPS_LOGLEVEL:-warn}"
    echo "WebInterface No"
    for location in / /admin; do
      printf '<Location %s>\n  Order allow,deny\n  Allow all\n</Location>\n' "$location"
    done
  } >"$dir/conf/cupsd.conf"
  cat >"$dir/conf/cups-files.conf" <<CONF
ServerRoot $dir/conf
RequestRoot $dir/spool
CacheDir $dir/cache
StateDir $dir/state
TempDir $dir/tmp
ServerBin $server_bin
ErrorLog $dir/log/error_log
AccessLog $dir/log/access_log
PageLog $dir/log/page_log
CONF
  for variable in ZENTROPE_MACHINE_REGISTRY ZENTROPE_IPC; do
    [ -n "${!variable:-}" ] && echo "SetEnv $variable ${!variable}" >>"$dir/conf/cups-files.conf"
  done
  # In the foreground of a session of its own, so that its pid is known and
  # it holds no descriptor of the caller's.
  setsid /usr/sbin/cupsd -f -c "$dir/conf/cupsd.conf" -s "$dir/conf/cups-files.conf" \
    </dev/null >>"$dir/log/cupsd.out" 2>&1 &
  echo $! >"$dir/cupsd.pid"
  for _ in $(seq 100); do
    [ -S "$dir/cups.sock" ] && CUPS_SERVER="$dir/cups.sock" lpstat -r >/dev/null 2>&1 && break
    sleep 0.1
  done
  CUPS_SERVER="$dir/cups.sock" lpstat -r >/dev/null 2>&1 || { echo "cupsd did not start:" >&2; cat "$dir/log/error_log" >&2 || true; exit 1; }
  echo "CUPS_SERVER=$dir/cups.sock"
  echo "CUPS_SERVERBIN=$server_bin"
  ;;
stop)
  [ -f "$dir/cupsd.pid" ] && kill "$(cat "$dir/cupsd.pid")" 2>/dev/null || true
  for _ in $(seq 50); do
    [ -f "$dir/cupsd.pid" ] && kill -0 "$(cat "$dir/cupsd.pid")" 2>/dev/null || break
    sleep 0.1
  done
  ;;
*) echo "usage: $0 start|stop DIR" >&2; exit 2 ;;
esac
