#!/usr/bin/env bash
# Builds the Debian package from a build tree and checks it: the desktop
# entries, the AppStream metadata and lintian. No new compile: a tree the
# tests already built is packed as it is (cpack only installs it into a
# staging directory).
#
#   scripts/package.sh [BUILD_DIR]     (default: build/default, configured
#                                       and built first when missing)
#
# The last line printed is the path of the .deb. Exit status 1 when a check
# reports an error; lintian's warnings are printed and let through.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/default}

if [ ! -f "$build/CMakeCache.txt" ]; then
  (cd "$root" && cmake --preset default >/dev/null)
fi
build=$(cd "$build" && pwd)   # cpack runs inside it
grep -q '^ZENTROPE_UPDATER:BOOL=OFF' "$build/CMakeCache.txt" ||
  { echo "package: $build builds the self-updater; a distribution package must not (configure it with -DZENTROPE_UPDATER=OFF)" >&2; exit 1; }
cmake --build "$build" -j "$(nproc)" >/dev/null

out=$build/package
rm -rf "$out"
mkdir -p "$out"
(cd "$build" && cpack -G DEB -B "$out" >"$out/cpack.log" 2>&1) ||
  { cat "$out/cpack.log" >&2; echo "package: cpack failed" >&2; exit 1; }
deb=$(find "$out" -maxdepth 1 -name '*.deb' | head -n1)
[ -n "$deb" ] || { echo "package: cpack made no .deb" >&2; exit 1; }

failed=0
contents=$out/contents
dpkg-deb -x "$deb" "$contents"
for entry in "$contents"/usr/share/applications/*.desktop "$contents"/etc/xdg/autostart/*.desktop; do
  desktop-file-validate "$entry" || failed=1
done
for metainfo in "$contents"/usr/share/metainfo/*.xml; do
  appstreamcli validate --no-net --explain "$metainfo" >"$out/appstream.log" 2>&1 ||
    { cat "$out/appstream.log" >&2; failed=1; }
done

# Errors fail the package; warnings are shown (and listed in the notes).
lintian --tag-display-limit 0 --display-info --color never "$deb" >"$out/lintian.log" 2>&1 || true
cat "$out/lintian.log"
grep -q '^E: ' "$out/lintian.log" && failed=1

[ "$failed" = 0 ] || { echo "package: checks failed" >&2; exit 1; }
echo "$deb"
