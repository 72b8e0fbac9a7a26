#!/usr/bin/env bash
# The standalone editor plays through a private JACK server: its outputs
# reach the speakers, a recording of them is the file at the server's rate
# (a 1 kHz tone at 44.1 kHz stays 1 kHz at 48 kHz), without a server it plays
# on silently, and it survives the server going away.
#   jack-editor-test.sh BIN_DIR
# Exits 77 (skipped) when Xvfb, xdotool or a JACK server is missing.
set -u
BIN=$1
EDITOR="$BIN/vantor-editor"
OUT=$(mktemp -d)
APID=""
. "$(dirname "$0")/../lib/servers.sh"
cleanup() {
  stop "$APID"
  stop_servers
  rm -rf "$OUT"
}
trap cleanup EXIT

fail() { echo "FAIL: $*"; exit 1; }

start_xvfb
start_jack

# Ten seconds of a 1 kHz tone at 44.1 kHz, half scale, 16 bits.
python3 - "$OUT/tone.wav" <<'PY'
import math, struct, sys, wave
with wave.open(sys.argv[1], "wb") as out:
    out.setnchannels(2); out.setsampwidth(2); out.setframerate(44100)
    out.writeframes(b"".join(struct.pack("<hh", v, v) for v in
        (int(16384 * math.sin(2 * math.pi * 1000 * n / 44100)) for n in range(441000))))
PY

# Waits until port $1 is connected to port $2.
wait_connected() {
  for _ in $(seq 100); do
    jack_lsp -c "$1" 2>/dev/null | grep -q "^ *$2\$" && return 0
    sleep 0.1
  done
  return 1
}

start_client APID vantor-editor:out_left "$OUT/editor" "$EDITOR" --mode eq --after 8 "$OUT/tone.wav" \
  || fail "the editor did not become a JACK client"
wait_connected vantor-editor:out_left system:playback_1 || { cat "$OUT/editor.err"; fail "out_left is not connected to the speakers"; }
wait_connected vantor-editor:out_right system:playback_2 || fail "out_right is not connected to the speakers"
grep -q "playing through JACK as vantor-editor at 48000 Hz" "$OUT/editor.err" || fail "the editor does not say it plays through JACK"
retry timeout 10 jack_rec -f "$OUT/recorded.wav" -d 2 vantor-editor:out_left vantor-editor:out_right >/dev/null 2>&1 \
  || fail "cannot record the editor's outputs"
python3 - "$OUT/recorded.wav" <<'PY' || fail "the recording is not the tone"
import array, sys, wave
with wave.open(sys.argv[1]) as rec:
    assert rec.getframerate() == 48000 and rec.getnchannels() == 2 and rec.getsampwidth() == 2
    samples = array.array("h", rec.readframes(rec.getnframes()))
left = samples[0::2]
# Skip the start, where the recorder may have caught silence.
left = left[4800:]
peak = max(abs(v) for v in left)
crossings = sum(1 for a, b in zip(left, left[1:]) if a < 0 <= b)
frequency = crossings * 48000 / len(left)
print(f"recorded peak {peak}, {frequency:.1f} Hz")
assert 4000 < peak < 32767, "silent or clipped"
# Played unconverted, the tone would come out at 1088 Hz.
assert abs(frequency - 1000) < 5, "wrong pitch"
assert samples[0::2] == samples[1::2], "the channels differ"
PY
wait "$APID" || fail "the editor ended with status $?"
APID=""

# The server goes away mid-play: the editor plays on and quits normally.
start_client APID vantor-editor:out_left "$OUT/lost" "$EDITOR" --mode eq --after 3 --no-connect "$OUT/tone.wav" \
  || fail "the editor did not become a JACK client"
sleep 0.5
stop_jack
wait "$APID" || { cat "$OUT/lost.err"; fail "after losing the server the editor failed"; }
APID=""
grep -q "went away; playing on at real-time pace" "$OUT/lost.err" || { cat "$OUT/lost.err"; fail "losing the server goes unsaid"; }

# No server at all: said once, then played at real-time pace.
JACK_DEFAULT_SERVER="vantor-test-none-$$" timeout 30 "$EDITOR" --after 1 "$OUT/tone.wav" 2>"$OUT/none.txt" \
  || fail "without a server the editor ended with status $?"
grep -q "no JACK server is running; playing at real-time pace without sound" "$OUT/none.txt" \
  || { cat "$OUT/none.txt"; fail "without a server the editor does not say so"; }
echo "PASS"
