#!/usr/bin/env bash
# vantor-editor --print-texts: the editor built off-screen (no display), its
# value texts after a preset and NAME=VALUE settings, one "PANEL CONTROL
# TEXT" line each, and the exit status of bad settings.
#   print-texts-test.sh BIN_DIR
set -u
EDITOR="$1/vantor-editor"
OUT=$(mktemp -d)
trap 'rm -rf "$OUT"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
has() { grep -qx "$2" "$1" || fail "no line '$2' in: $(tr '\n' '|' <"$1")"; }

# Defaults of the whole chain: 33 value texts; the times read in
# milliseconds, the stereo enhancer as a level.
env -u DISPLAY "$EDITOR" --print-texts >"$OUT/chain.txt" || fail "status $? for the defaults"
[ "$(wc -l <"$OUT/chain.txt")" -eq 33 ] || fail "$(wc -l <"$OUT/chain.txt") lines for the chain"
has "$OUT/chain.txt" "2 18 32 ms"
has "$OUT/chain.txt" "2 19 430 ms"
has "$OUT/chain.txt" "3 23 349 ms"
has "$OUT/chain.txt" "2 20 0 dB"
has "$OUT/chain.txt" "2 21 3.10"
has "$OUT/chain.txt" "1 28 Off"

# One module: only its panel.
env -u DISPLAY "$EDITOR" --print-texts --mode clipper >"$OUT/clipper.txt" || fail "status $? for the clipper"
[ "$(cut -d' ' -f1 "$OUT/clipper.txt" | sort -u)" = "4" ] || fail "clipper mode lists $(cat "$OUT/clipper.txt")"
has "$OUT/clipper.txt" "4 16 -6.3 dB"

# A preset, then settings in the order given (the later one wins).
env -u DISPLAY "$EDITOR" --print-texts --preset "Mastering:Gentle Glue" --set Ratio=2.5 \
  --set "Limiter Release=1234.5" --set "Stereo=1.5" --set "Stereo=-2" >"$OUT/set.txt" || fail "status $? with settings"
has "$OUT/set.txt" "2 18 45 ms"      # from the preset
has "$OUT/set.txt" "2 19 600 ms"     # from the preset
has "$OUT/set.txt" "4 16 -9 dB"      # from the preset
has "$OUT/set.txt" "2 21 2.50"       # the preset's 1.8, then --set
has "$OUT/set.txt" "3 23 1.2 s"
has "$OUT/set.txt" "2 20 -2 dB"

# Bad settings: usage (1) for an unknown name or value, and for a
# preset that is not there; nothing on stdout either way.
env -u DISPLAY "$EDITOR" --print-texts --set Nonsense=1 >"$OUT/bad.txt" 2>"$OUT/bad.err"
[ $? -eq 1 ] || fail "an unknown name does not end with status 1"
grep -q "Nonsense" "$OUT/bad.err" || fail "the unknown name is not named: $(cat "$OUT/bad.err")"
[ ! -s "$OUT/bad.txt" ] || fail "texts printed after a bad --set"
env -u DISPLAY "$EDITOR" --print-texts --set Ratio=loud >/dev/null 2>&1
[ $? -eq 1 ] || fail "a bad value does not end with status 1"
env -u DISPLAY "$EDITOR" --print-texts --preset "No Such Preset" >/dev/null 2>"$OUT/nopreset.err"
[ $? -eq 1 ] || fail "a missing preset (a usage error, as in vantor) does not end with status 1"
grep -q "No Such Preset" "$OUT/nopreset.err" || fail "the missing preset is not named"
# A preset file that is there but damaged is a failure (2).
head -c 100 /dev/urandom >"$OUT/damaged.ryxp"
env -u DISPLAY "$EDITOR" --print-texts --preset "$OUT/damaged.ryxp" >/dev/null 2>"$OUT/damaged.err"
[ $? -eq 2 ] || fail "a damaged preset file does not end with status 2: $(cat "$OUT/damaged.err")"
echo "PASS"
