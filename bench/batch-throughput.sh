#!/usr/bin/env bash
# Batch throughput: 20 short files mastered with -j 1 and with -j 2, with and
# without the report's measuring (-q). Prints the wall times and the ratio.
#   bench/batch-throughput.sh [BUILD]
set -euo pipefail
build="${1:-build}"
vantor="$build/bin/vantor"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/in"
# 20 files of 10 s each.
"$build/bin/vantor-demotrack" --seconds 10 "$work/in/01.wav" >/dev/null
for i in $(seq -w 2 20); do cp "$work/in/01.wav" "$work/in/$i.wav"; done
seconds() { local start end; start=$(date +%s.%N); "$@" >/dev/null; end=$(date +%s.%N); echo "$end - $start" | bc -l; }
for quiet in "" "-q"; do
  one=$(seconds "$vantor" master $quiet -f -j 1 -d "$work/out1" "$work"/in/*.wav)
  two=$(seconds "$vantor" master $quiet -f -j 2 -d "$work/out2" "$work"/in/*.wav)
  printf 'batch-20-files%s: -j 1 %.2f s, -j 2 %.2f s, ratio %.2f\n' "${quiet:+ $quiet}" "$one" "$two" "$(echo "$one / $two" | bc -l)"
done
