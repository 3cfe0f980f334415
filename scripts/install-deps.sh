#!/usr/bin/env bash
# Installs every Debian package the build, the tests, the benchmarks and the
# fuzz targets need. Safe to run again: it only asks apt for what is missing.
set -euo pipefail

packages=(
  build-essential g++ cmake ninja-build pkg-config
  clang libclang-rt-14-dev          # libFuzzer and sanitizer runtimes
  libgtest-dev libgmock-dev libbenchmark-dev
  zlib1g-dev libdeflate-dev libcurl4-openssl-dev nlohmann-json3-dev   # libdeflate packs job data
  qt6-base-dev qt6-base-dev-tools qt6-webengine-dev qt6-webchannel-dev qt6-tools-dev libqt6opengl6-dev
  libcups2-dev cups cups-filters    # the virtual printer: libcups for IPP, a private cupsd in tests
  ghostscript xdg-utils             # rendering job pages; opening files, folders and mail
  python3                           # small HTTP/TCP peers started by tests
  unixodbc-dev libsqliteodbc sqlite3   # the database helpers; tests use a SQLite database through ODBC
  python3-pyftpdlib python3-openssl openssl   # the updater's tests run a real FTP server, with TLS
  xvfb xauth trayer                 # scripts/screenshots.sh renders the windows under Xvfb, with a tray,
  jgmenu lxmenu-data x11-apps x11-xserver-utils netpbm   # and the application menu
  gzip pigz libdeflate-tools time   # baselines and RSS of the packing benchmark
  dpkg-dev fakeroot file lintian    # scripts/package.sh: the .deb, its Depends and its checks
  man-db procps                     # the package test: manual pages found, test processes stopped
  desktop-file-utils appstream      # validating the desktop entries and the AppStream metainfo
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
