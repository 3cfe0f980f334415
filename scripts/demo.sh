#!/usr/bin/env bash
# The main job end to end on the bundled defaults: builds everything, starts
# the reference print server with its demo configuration on 127.0.0.1 and
# walks through a few exchanges with zentctl, on a private settings store;
# with a display, it then starts the tray client with a job in its wizard.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)" >/dev/null
bin=build/default/bin

source scripts/lib/demo-machine.sh
step() { printf '\n\033[1m== %s\033[0m\n' "$*"; }

step "Settings as the client loads them on a machine with no key"
"$bin/zentctl" settings

step "Starting the reference print server (data/demo/zentserver.json)"
start_demo_server "$bin" --log "$work/server.log"
echo "server at $server_addr"

send() { "$bin/zentctl" send "$@" || true; }   # a refusal is part of the show

step "Printer list (GETPRNAMES)"
send GETPRNAMES "" "$server_addr"

first=$("$bin/zentctl" send GETPRNAMES "" "$server_addr" | sed -n '/^answer:/,$p' | sed -n 2p)
step "Printer description of '$first' (ASKPRN)"
send ASKPRN "$first" "$server_addr"

job=$work/hello.ps
printf '%%!PS-Adobe-3.0\n/Helvetica findfont 24 scalefont setfont\n72 720 moveto (Hello from Zentrope) show\nshowpage\n' >"$job"
step "Printing hello.ps to $first@$server_addr (check, session, authentication, PRFILE, CONFIRM)"
"$bin/zentctl" print "$job" "$first@$server_addr" --doc "Hello from Zentrope" --pages 1 --auth Voucher
echo "the server stored it in:"
find "$work/spool" -type f | sed "s|$work/||"

step "Server log"
cat "$work/server.log"

# With a display, the same road through the tray client's windows.
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  step "The tray client with a job waiting in the wizard (close it with File > Exit)"
  use_work_dirs "$bin"
  "$bin/zentctl" reg set HKLM "$client_key" WantsReceipt 1 >/dev/null
  "$bin/zentctl" reg set HKCU "$client_key\\Last printer" 1 "$first@$server_addr" >/dev/null
  # A notification name of its own: a client already running on this desktop
  # is left alone.
  export ZENTROPE_IPC=zentrope-demo-$$
  # The browser engine of the windows refuses to run as root with its sandbox.
  if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
  "$bin/zentclient" &
  client_pid=$!
  sleep 3
  # Printed while the client runs: the hand-off tells it, and its wizard opens.
  "$bin/zentctl" submit "$job" --doc "Hello again from Zentrope" --pages 1 --copies 1 --papersize 9 \
    --orientation Portrait --user "$(id -un)" >/dev/null
  echo "GO !, then sign in with any user name and the password demo"
  wait "$client_pid" || true
  echo "the server's spool now holds:"
  find "$work/spool" -type f | sed "s|$work/||"
fi
