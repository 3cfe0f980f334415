#!/usr/bin/env bash
# Runs every fuzz target for a few seconds: enough to catch a crash that the
# unit tests missed, short enough for every CI run.
set -euo pipefail
bindir=${1:?usage: fuzz-smoke.sh BINDIR [SECONDS]}
secs=${2:-5}
shopt -s nullglob
count=0
for target in "$bindir"/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus=$(mktemp -d)
  seeds="$(dirname "$0")/../fuzz/corpus/${name#fuzz_}"
  [ -d "$seeds" ] && cp -r "$seeds"/. "$corpus"/
  echo "fuzz smoke: $name (${secs}s)"
  "$target" -max_total_time="$secs" -rss_limit_mb=2048 "$corpus" >/dev/null 2>"$corpus.log" || { cat "$corpus.log"; exit 1; }
  rm -rf "$corpus" "$corpus.log"
  count=$((count+1))
done
echo "fuzz smoke: $count targets clean"
