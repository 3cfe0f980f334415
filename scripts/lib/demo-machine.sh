# Sourced by the demo and the screenshots: a brand-new private machine
# (settings files, state, temporary and working directories) in $work, and
# the reference print server with the bundled demo configuration. Everything
# is stopped and removed when the sourcing script exits.

work=$(mktemp -d)
server_pid=
demo_machine_cleanup() {
  if [ -n "$server_pid" ]; then kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null; fi
  rm -rf "$work"
}
trap demo_machine_cleanup EXIT

export ZENTROPE_MACHINE_REGISTRY=$work/machine.reg
export ZENTROPE_USER_REGISTRY=$work/user.reg
export XDG_STATE_HOME=$work/state
export TMPDIR=$work/tmp
mkdir -p "$TMPDIR"
# The machine's print system stays out of the demo: nothing is installed there.
export CUPS_SERVER=$work/no-cups.sock CUPS_SERVERBIN=$work/no-cups
client_key='SOFTWARE\ORLO Vestra\Zentrope Client'

# start_demo_server BIN_DIR [zentserver options]: the server on a free port of
# 127.0.0.1, storing jobs in $work/spool; sets server_addr (host:port).
start_demo_server() {
  local bin=$1
  shift
  mkdir -p "$work/spool"
  "$bin/zentserver" --port 0 --config "$(dirname "${BASH_SOURCE[0]}")/../../data/demo/zentserver.json" \
    --spool "$work/spool" "$@" >"$work/server.out" 2>&1 &
  server_pid=$!
  for _ in $(seq 50); do grep -q '^listening on' "$work/server.out" 2>/dev/null && break; sleep 0.1; done
  server_addr=$(sed -n 's/^listening on //p' "$work/server.out" | head -n1)
  if [ -z "$server_addr" ]; then
    echo "the print server did not start:" >&2
    cat "$work/server.out" >&2
    exit 1
  fi
}

# use_work_dirs BIN_DIR: the client's working and save directories in $work.
use_work_dirs() {
  mkdir -p "$work/jobs"
  "$1/zentctl" reg set HKLM "$client_key" FirstTempDir "$work/jobs" >/dev/null
  "$1/zentctl" reg set HKLM "$client_key" ClientSaveDir "$work/save" >/dev/null
}
