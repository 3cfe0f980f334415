#!/usr/bin/env bash
# Renders the client's windows under Xvfb into docs/images/: the main window
# with a few demo jobs in a private working directory, the about window, and
# the first job's road through the wizard to the bundled print server.
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
cmake --build "$build" --target zentclient_screenshots zentctl zentserver

source "$root/scripts/lib/demo-machine.sh"
export ZENTROPE_IPC=screenshots-$$
# The browser engine of the page windows refuses to run as root with its sandbox.
[ "$(id -u)" -ne 0 ] || export QTWEBENGINE_DISABLE_SANDBOX=1
mkdir -p "$out"

zentctl=$build/bin/zentctl
use_work_dirs "$build/bin"
"$zentctl" reg set HKLM "$client_key" WantsReceipt 1 >/dev/null
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

xvfb-run -a -s "-screen 0 1280x800x24" env QT_QPA_PLATFORM=xcb \
  "$build/bin/zentclient_screenshots" "$out" "$server_addr"
echo "screenshots: wrote $(cd "$out" && ls -- *.png | tr '\n' ' ')"
