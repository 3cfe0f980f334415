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

work=$(mktemp -d)
server_pid=
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# A brand-new machine: private registry files, state and temporary directory.
export ZENTROPE_MACHINE_REGISTRY=$work/machine.reg
export ZENTROPE_USER_REGISTRY=$work/user.reg
export XDG_STATE_HOME=$work/state
export TMPDIR=$work
step() { printf '\n\033[1m== %s\033[0m\n' "$*"; }

step "Settings as the client loads them on a machine with no key"
"$bin/zentctl" settings

step "Starting the reference print server (data/demo/zentserver.json)"
mkdir -p "$work/spool"
"$bin/zentserver" --port 0 --config data/demo/zentserver.json --spool "$work/spool" \
  --log "$work/server.log" >"$work/server.out" &
server_pid=$!
for _ in $(seq 50); do grep -q '^listening on' "$work/server.out" 2>/dev/null && break; sleep 0.1; done
addr=$(sed -n 's/^listening on //p' "$work/server.out" | head -n1)
[ -n "$addr" ] || { echo "server did not start"; cat "$work/server.out"; exit 1; }
echo "server at $addr"
port=${addr##*:}

send() { "$bin/zentctl" send "$@" || true; }   # a refusal is part of the show

step "Printer list (GETPRNAMES)"
send GETPRNAMES "" "127.0.0.1:$port"

first=$("$bin/zentctl" send GETPRNAMES "" "127.0.0.1:$port" | sed -n '/^answer:/,$p' | sed -n 2p)
step "Printer description of '$first' (ASKPRN)"
send ASKPRN "$first" "127.0.0.1:$port"

job=$work/hello.ps
printf '%%!PS-Adobe-3.0\n/Helvetica findfont 24 scalefont setfont\n72 720 moveto (Hello from Zentrope) show\nshowpage\n' >"$job"
step "Printing hello.ps to $first@$addr (check, session, authentication, PRFILE, CONFIRM)"
"$bin/zentctl" print "$job" "$first@127.0.0.1:$port" --doc "Hello from Zentrope" --pages 1 --auth Voucher
echo "the server stored it in:"
find "$work/spool" -type f | sed "s|$work/||"

step "Server log"
cat "$work/server.log"

# With a display, the same road through the tray client's windows.
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  step "The tray client with a job waiting in the wizard (close it with File > Exit)"
  key='SOFTWARE\ORLO Vestra\Zentrope Client'
  mkdir -p "$work/jobs"
  "$bin/zentctl" reg set HKLM "$key" FirstTempDir "$work/jobs" >/dev/null
  "$bin/zentctl" reg set HKLM "$key" ClientSaveDir "$work/save" >/dev/null
  "$bin/zentctl" reg set HKLM "$key" WantsReceipt 1 >/dev/null
  "$bin/zentctl" reg set HKCU "$key\\Last printer" 1 "$first@127.0.0.1:$port" >/dev/null
  # A notification name of its own: a client already running on this desktop
  # is left alone.
  export ZENTROPE_IPC=zentrope-demo-$$
  # The browser engine of the windows refuses to run as root with its sandbox.
  if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
  "$bin/zentclient" &
  client_pid=$!
  sleep 3
  # Printed while the client runs: the hand-off tells it, and its wizard opens.
  "$bin/zentctl" submit "$job" --doc "Hello again from Zentrope" --pages 1 --copies 1 --papersize 9 --orientation Portrait --user "$(id -un)" >/dev/null
  echo "GO !, then sign in with any user name and the password demo"
  wait "$client_pid" || true
  echo "the server's spool now holds:"
  find "$work/spool" -type f | sed "s|$work/||"
fi
