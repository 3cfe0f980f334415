#!/usr/bin/env bash
# Packing speed, size and memory of the pipeline against gzip, pigz and
# libdeflate-gzip, in one run on the same generated PostScript-like job:
#   - zentctl pack --type 2 takes at most 0.35 x `gzip -9 -c` and less than
#     `pigz -9 -p 2`;
#   - its output is at most 0.95 x gzip -9's and smaller than pigz -9's;
#   - zentctl unpack --type 2 takes no longer than `gzip -dc` of the same file;
#   - --type 3 takes at most 10 % more than --type 2;
#   - packing and unpacking a 256 MiB job stays under 64 MiB peak RSS.
# Usage: bench/pipeline_vs_gzip.sh [path/to/zentctl]   (a Release build is best)
# Environment: SIZE_MIB (64), BIG_MIB (256), REPEAT (3, the best run counts).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
zentctl=${1:-${ZENTCTL:-$here/../build/release/bin/zentctl}}
size_mib=${SIZE_MIB:-64}
big_mib=${BIG_MIB:-256}
repeat=${REPEAT:-3}
rss_limit_kib=$((64 * 1024))

[[ -x $zentctl ]] || { echo "no zentctl at $zentctl (pass its path)" >&2; exit 2; }
[[ -x /usr/bin/time ]] || { echo "/usr/bin/time is missing (package 'time')" >&2; exit 2; }
for tool in gzip pigz libdeflate-gzip; do
    command -v $tool >/dev/null || { echo "$tool is missing (scripts/install-deps.sh)" >&2; exit 2; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/pipeline-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
export TMPDIR=$work/tmp   # the pipeline's own temporary files
mkdir -p "$TMPDIR"

# A job as a printer driver writes it: a prolog, then pages of text drawing,
# vector graphics and hex image data, with varying numbers and words.
generate() {   # generate MIB FILE
    /usr/bin/python3 - "$1" "$2" <<'PY'
import random, sys
mib, path = int(sys.argv[1]), sys.argv[2]
rnd = random.Random(20240601)
words = ("the invoice total amount customer order number page report summary quarter "
         "shipping address delivery date payment terms account balance item quantity "
         "price description reference contact phone office branch region").split()
prolog = ("%!PS-Adobe-3.0\n%%Creator: driver\n%%Pages: (atend)\n%%BeginProlog\n"
          "/bd{bind def}bind def /m{moveto}bd /l{lineto}bd /s{show}bd /f{findfont exch scalefont setfont}bd\n"
          "%%EndProlog\n")
target = mib * 1024 * 1024
out, size, page = [prolog], len(prolog), 0
while size < target:
    page += 1
    chunk = [f"%%Page: {page} {page}\nsave\n10 /Helvetica f\n"]
    for _ in range(60):
        x, y = rnd.randint(36, 560), rnd.randint(36, 760)
        text = " ".join(rnd.choice(words) for _ in range(rnd.randint(3, 9)))
        chunk.append(f"{x} {y} m ({text} {rnd.randint(0, 99999)}) s\n")
    for _ in range(8):
        chunk.append(f"newpath {rnd.randint(0,600)} {rnd.randint(0,800)} m {rnd.randint(0,600)} "
                     f"{rnd.randint(0,800)} l {rnd.random():.3f} setgray stroke\n")
    chunk.append("gsave 100 100 translate 64 64 8 [64 0 0 64 0 0] {<")
    chunk.append("".join(f"{rnd.randint(0, 255) & 0xF8:02x}" for _ in range(512)))
    chunk.append(">} image grestore\nrestore showpage\n")
    text = "".join(chunk)
    out.append(text)
    size += len(text)
with open(path, "w") as f:
    f.write("".join(out)[:target])
PY
}

# run LABEL CMD...: the best elapsed seconds and the largest RSS (KiB) of REPEAT runs.
best_time=0 peak_rss=0
run() {
    local label=$1; shift
    best_time=999999 peak_rss=0
    for ((i = 0; i < repeat; i++)); do
        /usr/bin/time -f "%e %M" -o "$work/time.txt" "$@" >/dev/null
        read -r t rss <"$work/time.txt"
        best_time=$(awk -v a="$t" -v b="$best_time" 'BEGIN{print (a < b) ? a : b}')
        ((rss > peak_rss)) && peak_rss=$rss
    done
    printf '%-34s %8.2f s  %8d KiB peak RSS\n' "$label" "$best_time" "$peak_rss"
}

fail=0
check() {   # check DESCRIPTION CONDITION(awk)
    if awk "BEGIN{exit !($2)}"; then echo "ok:   $1"; else echo "FAIL: $1"; fail=1; fi
}

echo "generating a ${size_mib} MiB job..."
generate "$size_mib" "$work/job.ps"
echo

size() { stat -c %s "$1"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN{printf "%.3f", a/b}'; }

run "gzip -9 -c" sh -c "gzip -9 -c '$work/job.ps' > '$work/job.gzip'"
t_gzip=$best_time
run "pigz -9 -p 2 -c" sh -c "pigz -9 -p 2 -c '$work/job.ps' > '$work/job.pigz'"
t_pigz=$best_time
run "libdeflate-gzip -9 -c" sh -c "libdeflate-gzip -9 -c '$work/job.ps' > '$work/job.ldg'"
t_ldg=$best_time
run "zentctl pack --type 2" "$zentctl" pack --type 2 "$work/job.ps" "$work/job.t2"
t_2=$best_time
run "zentctl pack --type 3" "$zentctl" pack --type 3 "$work/job.ps" "$work/job.t3"
t_3=$best_time
run "gzip -dc (type 2 output)" sh -c "gzip -dc '$work/job.t2' > '$work/job.gunzip'"
t_gunzip=$best_time
run "zentctl unpack --type 2" "$zentctl" unpack --type 2 "$work/job.t2" "$work/job.back2"
t_u2=$best_time
run "zentctl unpack --type 3" "$zentctl" unpack --type 3 "$work/job.t3" "$work/job.back"
for f in job.back job.back2 job.gunzip; do
    cmp -s "$work/job.ps" "$work/$f" || { echo "FAIL: $f differs from the job"; fail=1; }
done
s_gzip=$(size "$work/job.gzip") s_pigz=$(size "$work/job.pigz") s_ldg=$(size "$work/job.ldg") s_2=$(size "$work/job.t2")
echo
printf 'sizes: job %d, gzip -9 %d, pigz -9 %d, libdeflate-gzip -9 %d, type 2 %d, type 3 %d bytes\n' \
    "$(size "$work/job.ps")" "$s_gzip" "$s_pigz" "$s_ldg" "$s_2" "$(size "$work/job.t3")"
echo "time / gzip -9: pigz $(ratio "$t_pigz" "$t_gzip"), libdeflate-gzip $(ratio "$t_ldg" "$t_gzip"), type 2 $(ratio "$t_2" "$t_gzip")"
echo "size / gzip -9: pigz $(ratio "$s_pigz" "$s_gzip"), libdeflate-gzip $(ratio "$s_ldg" "$s_gzip"), type 2 $(ratio "$s_2" "$s_gzip")"
echo "type 3 / type 2 = $(ratio "$t_3" "$t_2"), unpack type 2 / gzip -dc = $(ratio "$t_u2" "$t_gunzip")"
check "type 2 within 0.35 x gzip -9" "$t_2 <= 0.35 * $t_gzip"
check "type 2 faster than pigz -9 -p 2" "$t_2 < $t_pigz"
check "type 2 size within 0.95 x gzip -9" "$s_2 <= 0.95 * $s_gzip"
check "type 2 smaller than gzip -9 and pigz -9" "$s_2 < $s_gzip && $s_2 < $s_pigz"
check "unpack type 2 no slower than gzip -dc" "$t_u2 <= $t_gunzip"
check "type 3 within 1.10 x type 2" "$t_3 <= 1.10 * $t_2"
rm -f "$work"/job.*

echo
echo "generating a ${big_mib} MiB job..."
generate "$big_mib" "$work/big.ps"
repeat=1
for type in 2 3 5; do
    run "zentctl pack --type $type (${big_mib} MiB)" "$zentctl" pack --type $type "$work/big.ps" "$work/big.packed"
    check "pack --type $type peak RSS under 64 MiB" "$peak_rss < $rss_limit_kib"
    run "zentctl unpack --type $type (${big_mib} MiB)" "$zentctl" unpack --type $type "$work/big.packed" "$work/big.back"
    check "unpack --type $type peak RSS under 64 MiB" "$peak_rss < $rss_limit_kib"
    cmp -s "$work/big.ps" "$work/big.back" || { echo "FAIL: type $type round trip differs"; fail=1; }
    rm -f "$work/big.packed" "$work/big.back"
done
leftovers=$(find "$TMPDIR" -type f | wc -l)
check "no temporary files left ($leftovers)" "$leftovers == 0"
exit $fail
