#!/usr/bin/env bash
# Compares our JPEG path (bench_graphics) with TurboJPEG's own tjbench on the same 4032 x 3024
# picture, same settings (quality 90, 4:2:0, accurate DCT, 4-byte pixels), and prints a Markdown
# table of the figures.
# Usage: compare-tjbench.sh [path/to/bench_graphics] [output.md]
set -euo pipefail

bench=${1:-build/bench/platform/graphics/bench_graphics}
out=${2:-/dev/stdout}
command -v tjbench >/dev/null || { echo "tjbench not found (package libjpeg-turbo-progs)" >&2; exit 1; }
[ -x "$bench" ] || { echo "no benchmark program at $bench" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

MIVO_BENCH_PPM="$work/photo.ppm" "$bench" --benchmark_repetitions=7 \
    --benchmark_report_aggregates_only=true --benchmark_format=json >"$work/ours.json"

# tjbench reports throughput over the whole run; three runs give a median like ours.
for run in 1 2 3; do
    (cd "$work" && tjbench photo.ppm 90 -subsamp 420 -bgrx -quiet -benchtime 2 -warmup 1 -nowrite) \
        | grep '^BGRX' >>"$work/tj-full.txt"
    (cd "$work" && tjbench photo.ppm 90 -subsamp 420 -bgrx -quiet -benchtime 2 -warmup 1 -nowrite -scale 1/8) \
        | grep '^BGRX' >>"$work/tj-eighth.txt"
done

python3 - "$work" >"$out" <<'PY'
import json, statistics, sys
work = sys.argv[1]
ours = {}
for b in json.load(open(f"{work}/ours.json"))["benchmarks"]:
    if b.get("aggregate_name") == "median":
        ours[b["run_name"].split("/")[0]] = b["real_time"]

def tj(path):
    # Columns: format (TD) subsampling quality width height compMP/s ratio decompMP/s.
    rows = [line.split() for line in open(path)]
    megapixels = int(rows[0][4]) * int(rows[0][5]) / 1e6
    comp = statistics.median(1000 * megapixels / float(r[6]) for r in rows)
    decomp = statistics.median(1000 * megapixels / float(r[8]) for r in rows)
    return comp, decomp

tj_encode, tj_decode = tj(f"{work}/tj-full.txt")
_, tj_eighth = tj(f"{work}/tj-eighth.txt")
rows = [
    ("JPEG encode, quality 90, 4:2:0", ours["BM_JpegEncodeQuality90"], tj_encode, "at most 1.1"),
    ("JPEG decode at 1/8 (DCT scaling)", ours["BM_JpegDecodeThumbnailDct"], tj_eighth, "at most 1.1"),
    ("JPEG decode, full size", ours["BM_JpegDecodeFull"], tj_decode, "(see note)"),
]
print("| 4032 x 3024 photo, one core | Mivo median | tjbench | ratio | target |")
print("|---|---:|---:|---:|---|")
for name, mine, theirs, target in rows:
    print(f"| {name} | {mine:.1f} ms | {theirs:.1f} ms | {mine / theirs:.2f} | {target} |")
thumb, full = ours["BM_JpegDecodeThumbnailDct"], ours["BM_JpegDecodeFullThenDownscale"]
print()
print("| Thumbnail (504 x 378) | Mivo median |")
print("|---|---:|")
print(f"| DCT-scaled decode (1/8) | {thumb:.1f} ms |")
print(f"| full decode + Cairo downscale | {full:.1f} ms |")
print(f"| ratio (target at most 0.6) | {thumb / full:.2f} |")
print()
print("| PNG, same photo | Mivo median |")
print("|---|---:|")
print(f"| encode | {ours['BM_PngEncodePhoto']:.0f} ms |")
print(f"| decode | {ours['BM_PngDecodePhoto']:.0f} ms |")
PY
