#!/usr/bin/env bash
# Start-up of the tray client with an empty queue: the time from starting
# zentclient until it is up (settings loaded, directories made, notification
# socket bound, first idle moment over, tray icon shown), as it reports
# READY=1 on $NOTIFY_SOCKET the way it does to a service manager. Each run
# gets a brand-new private machine; the figure is the median of the runs.
#
#   bench/startup.sh [BIN_DIR] [RUNS]     (default build/release/bin, 11 runs)
#
# Runs on Qt's offscreen platform unless QT_QPA_PLATFORM says otherwise.
# Exits 1 when the median reaches the target of one second.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
bin=${1:-$root/build/release/bin}
runs=${2:-11}
[ -x "$bin/zentclient" ] || { echo "startup: no $bin/zentclient (build it first)" >&2; exit 2; }

exec /usr/bin/python3 - "$bin/zentclient" "$runs" <<'PY'
import os, signal, socket, statistics, subprocess, sys, tempfile, time

program, runs = sys.argv[1], int(sys.argv[2])
target = 1.0
times = []
for run in range(runs):
    with tempfile.TemporaryDirectory(prefix="zentclient-startup-") as work:
        with open(os.path.join(work, "machine.reg"), "w") as hive:
            hive.write("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\ORLO Vestra\\Zentrope Client]\n"
                       f'"FirstTempDir"="{work}/jobs"\n"ClientSaveDir"="{work}/save"\n')
        os.makedirs(os.path.join(work, "tmp"))
        name = f"zentclient-startup-{os.getpid()}-{run}"
        ready = socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM)
        ready.bind("\0" + name)
        ready.settimeout(10)
        env = dict(os.environ,
                   ZENTROPE_MACHINE_REGISTRY=f"{work}/machine.reg",
                   ZENTROPE_USER_REGISTRY=f"{work}/user.reg",
                   ZENTROPE_IPC=name,
                   XDG_STATE_HOME=f"{work}/state",
                   XDG_RUNTIME_DIR=work,
                   TMPDIR=f"{work}/tmp",
                   NOTIFY_SOCKET="@" + name)
        env.setdefault("QT_QPA_PLATFORM", "offscreen")
        if os.geteuid() == 0:   # the browser engine of the page windows refuses root with its sandbox
            env.setdefault("QTWEBENGINE_DISABLE_SANDBOX", "1")
        start = time.perf_counter()
        client = subprocess.Popen([program], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            message = ready.recv(64)
            elapsed = time.perf_counter() - start
        except socket.timeout:
            client.kill()
            client.wait()
            sys.exit("startup: the client did not come up within 10 s")
        client.send_signal(signal.SIGTERM)
        if client.wait(timeout=10) != 0:
            sys.exit(f"startup: the client ended with status {client.returncode}")
        ready.close()
        if message != b"READY=1":
            sys.exit(f"startup: unexpected message {message!r}")
        times.append(elapsed)
        print(f"run {run + 1:2d}: {elapsed * 1000:7.1f} ms")

median = statistics.median(times)
print(f"median {median * 1000:.1f} ms, min {min(times) * 1000:.1f} ms, max {max(times) * 1000:.1f} ms "
      f"over {runs} runs (target: under {target * 1000:.0f} ms)")
sys.exit(0 if median < target else 1)
PY
