#!/usr/bin/env bash
# The LV2 speed comparison of `make bench`: the full-chain plug-in and the
# peer chains of Debian's LV2 packages, run in turn by the same offline host
# (lv2bench.c: 64-frame blocks, flush-to-zero on, median of 5 passes) over
# the same 3-minute 44.1 kHz stereo file; the same work through the process
# without the wrapper (bench-process.cpp); and the process benchmark of the
# same build. Prints "name: value" lines:
#   lv2-44k-stereo-xrt, peer-NAME-xrt, vantor-vs-NAME-ratio (Vantor / peer),
#   process-same-work-xrt, lv2-vs-process-same-work-ratio,
#   process-44k-stereo-xrt, process-44k-stereo-64-xrt, lv2-vs-process-ratio.
# The peers (lsp-plugins-lv2 x42-plugins calf-plugins zam-plugins) come from
# scripts/install-deps.sh --bench; a peer that is not installed is skipped.
#   usage: bench/lv2/compare.sh [BUILD_DIR] [ROUNDS]
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../../build}" && pwd)
rounds=${2:-1}
host="$build/bin/lv2bench"
signal="$build/bench/lv2-bench-44k.wav"
export LV2_PATH="$build/bundle:/usr/lib/lv2"

# The peer chains and their settings (EQ with six working bands, compressors
# at -20 dB / 3:1, multiband at 200 Hz / 2.5 kHz, limiters at -6 dB).
. "$here/peers.sh"
peers=(x42 lsp calf zam)

# Our full chain with the comparable work: high-pass 30 Hz, low shelf 100 Hz
# +6, bells 400 Hz -3 and 2.5 kHz +3, high shelf 8 kHz +3, low-pass 18 kHz;
# compressor 3:1 with 6 dB of drive, attack 12 ms, release 150 ms; limiter
# driven 6 dB into its ceiling; clipper as it comes.
settings="-c eq_low_cut_freq 30 -c eq_low_shelf_freq 100 -c eq_low_shelf_gain 6 \
 -c eq_low_mid_freq 400 -c eq_low_mid_gain -3 -c eq_high_mid_freq 2500 -c eq_high_mid_gain 3 \
 -c eq_high_shelf_freq 8000 -c eq_high_shelf_gain 3 -c eq_high_cut_freq 18000 \
 -c compressor_ratio 3 -c compressor_input_drive 6 -c compressor_attack 12 -c compressor_release 150 \
 -c limiter_input_drive 6"
vantor="-p urn:vantor:lv2:chain $settings"

mkdir -p "$build/bench"
[[ -f "$signal" ]] || "$build/bin/lv2-bench-signal" "$signal"

# x-realtime of one lv2bench run (median of 5 passes).
xrt() { "$host" -q -n 5 -i "$signal" "$@" 2>/dev/null | sed -n 's/.*RTF_med=\([0-9.]*\).*/\1/p'; }
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

direct() { "$build/bin/lv2-bench-process" -n 5 -i "$signal" $settings | sed -n 's/.*RTF_med=\([0-9.]*\).*/\1/p'; }

ours=()
bare=()
declare -A peer_runs
for ((round = 0; round < rounds; ++round)); do
  for peer in "${peers[@]}"; do
    # Ours and a peer in turn, so that machine noise hits both.
    ours+=("$(xrt $vantor)")
    bare+=("$(direct)")
    value=$(xrt ${D[chain-$peer]} || true)
    [[ -n "$value" ]] && peer_runs[$peer]+="$value "
  done
done
vantor_xrt=$(median "${ours[@]}")
bare_xrt=$(median "${bare[@]}")
echo "lv2-44k-stereo-xrt: $vantor_xrt"
for peer in "${peers[@]}"; do
  if [[ -z "${peer_runs[$peer]:-}" ]]; then
    echo "# peer $peer: not installed (scripts/install-deps.sh --bench)" >&2
    continue
  fi
  value=$(median ${peer_runs[$peer]})
  echo "peer-$peer-xrt: $value"
  awk -v a="$vantor_xrt" -v b="$value" -v n="$peer" 'BEGIN { printf "vantor-vs-%s-ratio: %.2f\n", n, a / b }'
done

echo "process-same-work-xrt: $bare_xrt"
awk -v a="$vantor_xrt" -v b="$bare_xrt" 'BEGIN { printf "lv2-vs-process-same-work-ratio: %.3f\n", a / b }'

# The headline process benchmark (its own signal and settings), same build.
process=$("$build/bin/vantor-bench" --benchmark_filter='^BM_Process44k/(64|512)$' --benchmark_repetitions=3 \
  --benchmark_report_aggregates_only=true 2>/dev/null)
p512=$(echo "$process" | awk '/BM_Process44k\/512_median/ { for (i = 1; i <= NF; ++i) if ($i ~ /^xrt=/) print substr($i, 5) }')
p64=$(echo "$process" | awk '/BM_Process44k\/64_median/ { for (i = 1; i <= NF; ++i) if ($i ~ /^xrt=/) print substr($i, 5) }')
num() { echo "$1" | sed 's#/s$##; s/k$/e3/'; }
echo "process-44k-stereo-xrt: $(num "$p512")"
echo "process-44k-stereo-64-xrt: $(num "$p64")"
awk -v a="$vantor_xrt" -v b="$(num "$p512")" 'BEGIN { printf "lv2-vs-process-ratio: %.3f\n", a / b }'
