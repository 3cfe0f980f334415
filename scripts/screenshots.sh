#!/usr/bin/env bash
# Renders the client's windows under Xvfb into docs/images/: the main window
# with a few demo jobs in a private working directory, the about window, an
# application's print dialog offering Zentrope (where a private print system
# can run: as root), and the first job's road through the wizard to the
# bundled print server.
#
#   scripts/screenshots.sh            (build dir: build/default, or $BUILD_DIR)
#
# Needs xvfb-run (Debian packages xvfb and xauth); nothing else of the machine
# is touched: settings, jobs and the notification name are private to the run.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build/default}
out=$root/docs/images

if ! command -v xvfb-run >/dev/null; then
  echo "screenshots: xvfb-run is missing (apt-get install xvfb xauth)" >&2
  exit 1
fi
[ -f "$build/CMakeCache.txt" ] || cmake --preset default
cmake --build "$build" --target zentclient_screenshots zentctl zentserver zentro

source "$root/scripts/lib/demo-machine.sh"
export ZENTROPE_IPC=screenshots-$$
# The browser engine of the page windows refuses to run as root with its sandbox.
[ "$(id -u)" -ne 0 ] || export QTWEBENGINE_DISABLE_SANDBOX=1
mkdir -p "$out"

zentctl=$build/bin/zentctl
use_work_dirs "$build/bin"
"$zentctl" reg set HKLM "$client_key" WantsReceipt 1 >/dev/null
# The print dialog's picture needs the printer in a print system: a private
# one, where root may run it.
cups_dir=$work/cups
if cups_env=$("$root/tests/cups/private-cupsd.sh" start "$cups_dir" 2>"$work/cups.err"); then
  trap '"$root/tests/cups/private-cupsd.sh" stop "$cups_dir"; demo_machine_cleanup' EXIT
  for assignment in $cups_env; do export "${assignment?}"; done
  "$zentctl" printer install >/dev/null
  export ZENTROPE_PICTURE_PRINT_DIALOG=1
else
  echo "screenshots: the print dialog is left out: $(cat "$work/cups.err")" >&2
fi
# Addresses the wizard offers, most recent first.
"$zentctl" reg set HKCU "$client_key\\Last printer" 1 "laser@print.example.com" >/dev/null
"$zentctl" reg set HKCU "$client_key\\Last printer" 2 "colour@print.example.com:20203" >/dev/null

# Demo jobs of different sizes, as applications print them.
demo() {   # name kilobytes then submit options
  local file=$work/$1.ps size=$2
  shift 2
  { echo '%!PS-Adobe-3.0'; head -c $((size * 1024)) /dev/zero | tr '\0' 'x'; echo; echo showpage; } >"$file"
  "$zentctl" submit "$file" --user anna "$@" >/dev/null 2>&1
}
demo report 840 --doc "Quarterly report.pdf" --pages 12 --copies 1 --papersize 9 --orientation Portrait
demo slides 2300 --doc "Team meeting slides" --pages 24 --copies 2 --papersize 8 --orientation Landscape --color 2
demo invoice 46 --doc "Invoice 2024-117" --pages 1 --copies 3 --papersize 9 --orientation Portrait
demo poster 5400 --doc "Summer party poster" --pages 1 --copies 1 --papersize 3 --orientation Portrait --color 2
# A job with real pages for the preview, e-mail and HTML pictures.
/usr/bin/python3 - "$work/pricelist.ps" <<'PY'
import sys
ps = "%!PS-Adobe-3.0\n"
for p in range(1, 4):
    ps += ("%%%%Page: %d %d\n/Helvetica-Bold findfont 28 scalefont setfont 72 700 moveto (Price list, page %d) show\n"
           "/Helvetica findfont 12 scalefont setfont\n" % (p, p, p))
    for i in range(30):
        ps += "72 %d moveto (Item %d%02d ..................................... %d.%02d EUR) show\n" % (
            660 - i * 18, p, i, 10 + i * 3, (i * 37) % 100)
    ps += "0.2 0.4 0.8 setrgbcolor 72 80 468 6 rectfill showpage\n"
open(sys.argv[1], "w").write(ps + "%%EOF\n")
PY
"$zentctl" submit "$work/pricelist.ps" --user anna --doc "Price list" --pages 3 --copies 1 --papersize 1 --color 2 >/dev/null 2>&1
"$zentctl" reg set HKLM "$client_key" PSProcessor /usr/bin/gs >/dev/null
"$zentctl" reg set HKLM "$client_key" Email_En 1 --dword >/dev/null
# The invoice already has its printer and session: it waits to be sent.
printf 'Printer=laser\r\nServer=127.0.0.1:20202\r\nSessionId=1001\r\n' >>"$work/jobs/ztp_3.txt"

# The demo print server the first job goes to.
start_demo_server "$build/bin"

# A job on its way to a server that takes its bytes slowly (and never
# answers), for the picture of an upload's progress.
/usr/bin/python3 - "$work/sink.port" <<'PY' &
import socket, sys, time
s = socket.socket()
s.bind(("127.0.0.1", 0))
s.listen(1)
open(sys.argv[1], "w").write(str(s.getsockname()[1]))
s.settimeout(120)
peer, _ = s.accept()
peer.settimeout(1.5)
try:
    while peer.recv(50000):
        time.sleep(0.05)
except OSError:
    pass
peer.close()
PY
for _ in $(seq 50); do [ -s "$work/sink.port" ] && break; sleep 0.1; done
{ echo '%!PS-Adobe-3.0'; head -c 9000000 /dev/urandom | base64; echo showpage; } >"$work/review.ps"
"$zentctl" submit "$work/review.ps" --user anna --doc "Annual review" --pages 40 --copies 1 --papersize 9 \
  --orientation Portrait >/dev/null 2>&1
printf 'Printer=colour\r\nServer=127.0.0.1:%s\r\nSessionId=1002\r\n' "$(cat "$work/sink.port")" >>"$work/jobs/ztp_6.txt"

# Two jobs delivered earlier, in the user's archive; the server knows both.
"$zentctl" reg set HKLM "$client_key" ArchiveDocs 1 --dword >/dev/null
archive=$work/save/$(id -un)
mkdir -p "$archive"
archived() {   # base document submitted printer session confirmed pages paper
  printf 'DocName=%s\r\nSubmited=%s\r\nPrinter=%s\r\nServer=%s\r\nSessionId=%s\r\nOkDate=%s\r\nPages=%s\r\nCopies=1\r\nPapersize=%s\r\nOrientation=Portrait\r\nUserName=anna\r\n' \
    "$2" "$3" "$4" "$server_addr" "$5" "$6" "$7" "$8" >"$archive/$1.txt"
  head -c $((($7) * 40000)) /dev/zero | tr '\0' 'x' >"$archive/$1.ztp"
}
archived ztp_7 "Quarterly report" "2024/4/29 9:12:40.0" laser 17 "2024/04/29 09:13:02" 12 9
archived ztp_8 "Poster" "2024/4/30 16:2:5.3" colour 18 "2024/04/30 16:02:31" 1 3

# A tray on the virtual screen, where one is installed, for the notification.
tray_start=
command -v trayer >/dev/null && tray_start='trayer --align right --widthtype request --expand false & sleep 1;'
xvfb-run -a -s "-screen 0 1280x800x24" sh -c "$tray_start exec env QT_QPA_PLATFORM=xcb ${SCREENSHOT_WRAP:-} \"\$0\" \"\$@\"" \
  "$build/bin/zentclient_screenshots" "$out" "$server_addr"
# The updater's windows after a run against a private FTP server on
# 127.0.0.1 (builds without the updater have no such windows).
if cmake --build "$build" --target zsync_screenshots >/dev/null 2>&1; then
  ftp=$work/ftp
  mkdir -p "$ftp/remote/pub/lib" "$ftp/app/lib"
  printf 'new program\n' >"$ftp/remote/pub/zentclient"
  printf 'same help\n' >"$ftp/remote/pub/help.htm"
  printf 'new library\n' >"$ftp/remote/pub/lib/libzcodec.so"
  touch -d '2024-05-02 10:00:00Z' "$ftp/remote/pub/zentclient" "$ftp/remote/pub/lib/libzcodec.so"
  touch -d '2024-04-01 08:30:00Z' "$ftp/remote/pub/help.htm"
  printf 'old program\n' >"$ftp/app/zentclient"
  printf 'same help\n' >"$ftp/app/help.htm"
  touch -d '2024-03-01 12:00:00Z' "$ftp/app/zentclient"
  touch -d '2024-04-01 08:30:00Z' "$ftp/app/help.htm"
  /usr/bin/python3 "$root/tests/support/ftp_server.py" --root "$ftp/remote" --user upkeep --password demo \
    >"$ftp/port" 2>"$ftp/server.log" &
  ftp_pid=$!
  for _ in $(seq 100); do [ -s "$ftp/port" ] && break; sleep 0.05; done
  printf '[Ftp]\nServer=127.0.0.1:%s\nUser=upkeep\nPassword=demo\n[Files]\n%%IniDir%%=/pub\n' \
    "$(head -n1 "$ftp/port")" >"$ftp/app/ftp.ini"
  xvfb-run -a -s "-screen 0 1280x800x24" env QT_QPA_PLATFORM=xcb \
    "$build/bin/zsync_screenshots" "$ftp/app/ftp.ini" "$out"
  kill "$ftp_pid"
fi
# The installed menu entry in a desktop's application menu.
"$root/scripts/lib/menu-screenshot.sh" "$build" "$out/application-menu.png"
echo "screenshots: wrote $(cd "$out" && ls -- *.png | tr '\n' ' ')"
