#!/usr/bin/env bash
# morvexa-cli picture against ImageMagick's convert decoding the same
# 4096 x 4096 24-bit BMP (decoding alone), side by side, and the peak memory
# of morvexa-cli beside the file's size. Run by scripts/bench.
set -euo pipefail
build=${1:?usage: picture_cli_vs_convert.sh BUILD_DIR}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for kind in photo four; do
  "$build/bench/make_bench_bmp" "$kind" "$work/$kind.bmp"
  echo "== $kind.bmp ($(stat -c %s "$work/$kind.bmp") bytes)"
  hyperfine --warmup 1 --runs 5 --style basic \
    "$build/app/morvexa-cli picture $work/$kind.bmp -o $work/out.txt" \
    "convert $work/$kind.bmp ppm:/dev/null"
  peak_kib=$(/usr/bin/time -f %M "$build/app/morvexa-cli" picture "$work/$kind.bmp" -o "$work/out.txt" 2>&1 >/dev/null)
  size_kib=$(( $(stat -c %s "$work/$kind.bmp") / 1024 ))
  echo "peak memory of morvexa-cli: ${peak_kib} KiB = $(( peak_kib * 100 / size_kib ))% of the file (goal: under 300%)"
done
