#!/usr/bin/env bash
# The standalone editor on a real X server (a private Xvfb): every mode opens
# a window of its layout's size showing a picture, a knob dragged with the
# pointer reaches the host, "Save As" without a save dialog saves under a
# name typed into the editor's own prompt, the editor opens and closes as a
# child of a real window, and without a display the program says so.
#   x11-editor-test.sh BIN_DIR
# Exits 77 (skipped) when Xvfb or xdotool is missing.
set -u
BIN=$1
EDITOR="$BIN/vantor-editor"
SKIN_TOOL="$BIN/vantor-skin"
BUNDLE="$(dirname "$BIN")/bundle"

OUT=$(mktemp -d)
. "$(dirname "$0")/../lib/servers.sh"
APID=""
PRESET_FILE=""
cleanup() {
  [ -n "$APID" ] && kill "$APID" 2>/dev/null
  stop_servers
  [ -n "$PRESET_FILE" ] && rm -f "$PRESET_FILE"
  rm -rf "$OUT"
}
trap cleanup EXIT

fail() { echo "FAIL: $*"; exit 1; }

# The size of a PNG file from its header: "WIDTH HEIGHT".
png_size() { python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(24); print(*struct.unpack(">II", d[16:24]))' "$1"; }

# How many distinct bytes the image data of a PNG file holds.
png_variety() {
  python3 -c '
import struct, sys, zlib
data = open(sys.argv[1], "rb").read()
pos, idat = 8, b""
while pos < len(data):
    length, kind = struct.unpack(">I4s", data[pos:pos + 8])
    if kind == b"IDAT":
        idat += data[pos + 8:pos + 8 + length]
    pos += 12 + length
print(len(set(zlib.decompress(idat))))' "$1"
}

# Without a display the program refuses with status 2.
env -u DISPLAY timeout 20 "$EDITOR" --after 0.1 2>"$OUT/nodisplay.txt"
[ $? -eq 2 ] || fail "without DISPLAY the status is not 2"
grep -q "no display" "$OUT/nodisplay.txt" || fail "without DISPLAY nothing says why"

start_xvfb

# Every mode: the window is the size of the mode's main layout (the size the
# skin tool composes) and shows a real picture.
for mode in eq compressor limiter clipper chain; do
  timeout 30 "$EDITOR" --mode "$mode" --screenshot "$OUT/$mode.png" --after 0.5 || fail "mode $mode: status $?"
  [ -f "$OUT/$mode.png" ] || fail "mode $mode: no screenshot"
  timeout 30 "$SKIN_TOOL" render "$BUNDLE/Vantor.xrs" --editor "$mode" -o "$OUT/$mode-layout.png" \
    || fail "mode $mode: the skin tool cannot compose it"
  [ "$(png_size "$OUT/$mode.png")" = "$(png_size "$OUT/$mode-layout.png")" ] \
    || fail "mode $mode: window $(png_size "$OUT/$mode.png"), layout $(png_size "$OUT/$mode-layout.png")"
  # A blank picture's pixel rows hold only a handful of distinct bytes.
  [ "$(png_variety "$OUT/$mode.png")" -gt 20 ] || fail "mode $mode: the screenshot is blank"
done

# Drag the equaliser's low-cut knob up, then all the way down: the host hears
# a frequency, then 15 (off).
timeout 30 "$EDITOR" --mode chain --print-changes --after 4 >"$OUT/changes.txt" &
APID=$!
WINDOW=$(timeout 10 xdotool search --sync --name '^Vantor$' | head -1)
[ -n "$WINDOW" ] || fail "the editor window did not appear"
sleep 0.5
# The knob's middle: panel at (0, 18), knob at (26, 166) in the panel.
xdotool mousemove --window "$WINDOW" 51 210 mousedown 1
sleep 0.2
xdotool mousemove --window "$WINDOW" 51 150
sleep 0.2
xdotool mousemove --window "$WINDOW" 51 600
sleep 0.2
xdotool mouseup 1
wait "$APID"
STATUS=$?
APID=""
[ "$STATUS" -eq 0 ] || fail "the editor ended with status $STATUS"
grep '^parameter 3 = ' "$OUT/changes.txt" | grep -vq ' = 15$' || fail "dragging up set no frequency: $(cat "$OUT/changes.txt")"
[ "$(grep '^parameter 3 = ' "$OUT/changes.txt" | tail -1)" = "parameter 3 = 15" ] \
  || fail "dragging down did not switch the low cut off: $(cat "$OUT/changes.txt")"

# The Load menu in the 900 x 128 clipper window: a plain click opens it and
# it stays open; the pointer alone opens "Mastering", whose eighth preset
# lies far below the window, in the menu's own pop-up window, and a click
# there loads it ("Warm Tape": clipper gain 3 dB, curve -12 dB). Rows are 19
# pixels from y = 17: "Refresh Preset List", "Defaults", "Mastering" (no
# user presets: an empty XDG_DATA_HOME).
mkdir -p "$OUT/xdg"
timeout 30 env XDG_DATA_HOME="$OUT/xdg" "$EDITOR" --mode clipper --print-changes --after 5 >"$OUT/menu.txt" &
APID=$!
WINDOW=$(timeout 10 xdotool search --sync --name '^Vantor$' | head -1)
[ -n "$WINDOW" ] || fail "the clipper window did not appear"
sleep 0.5
# First a wheel notch up over the gain knob (panel at 0, 18; knob at 46, 44):
# 2 % of -15 … +15 dB.
xdotool mousemove --window "$WINDOW" 66 82 click 4
sleep 0.2
xdotool mousemove --window "$WINDOW" 590 9 click 1
sleep 0.3
xdotool mousemove --window "$WINDOW" 620 64
sleep 0.2
xdotool mousemove --window "$WINDOW" 760 64
sleep 0.2
xdotool mousemove --window "$WINDOW" 760 197
sleep 0.2
xdotool click 1
wait "$APID"
STATUS=$?
APID=""
[ "$STATUS" -eq 0 ] || fail "the clipper editor ended with status $STATUS"
grep -qx 'parameter 44 = 6' "$OUT/menu.txt" || fail "a wheel notch did not move the gain: $(cat "$OUT/menu.txt")"
grep -qx 'parameter 44 = 30' "$OUT/menu.txt" && grep -qx 'parameter 45 = -120' "$OUT/menu.txt" \
  || fail "the eighth Mastering preset was not loaded: $(tail -5 "$OUT/menu.txt")"

# "Save As" with no save dialog on the PATH (zenity, kdialog): the toolkit's
# name prompt opens, takes a typed name and Return, and the preset is saved
# into the presets folder. The field holds a suggested name first.
PRESET_NAME="x11-prompt-$$"
PRESET_FILE="$BUNDLE/Vantor Presets/$PRESET_NAME.ryxp"
rm -f "$PRESET_FILE"
timeout 60 env PATH=/nonexistent "$EDITOR" --mode clipper --after 6 >"$OUT/prompt.txt" 2>&1 &
APID=$!
WINDOW=$(timeout 10 xdotool search --sync --name '^Vantor$' | head -1)
[ -n "$WINDOW" ] || fail "the editor window did not appear for Save As"
sleep 0.5
# "Save As" on the preset strip: the button at (724, 2), 62 x 14.
xdotool mousemove --window "$WINDOW" 755 9 click 1
PROMPT=$(timeout 10 xdotool search --sync --name '^Save As$' | head -1)
[ -n "$PROMPT" ] || fail "the name prompt did not appear"
timeout 10 xdotool windowfocus --sync "$PROMPT" || fail "the name prompt cannot take the focus"
xdotool key --repeat 12 BackSpace
xdotool type "$PRESET_NAME"
xdotool key Return
wait "$APID"
STATUS=$?
APID=""
[ "$STATUS" -eq 0 ] || fail "the editor ended with status $STATUS after Save As: $(cat "$OUT/prompt.txt")"
[ -f "$PRESET_FILE" ] || fail "the typed name was not saved as $PRESET_FILE"
rm -f "$PRESET_FILE"

# The editor as a child of a real window, opened and closed a hundred times.
if [ -x "$BIN/vantor-editor-tests" ]; then
  timeout 60 "$BIN/vantor-editor-tests" --gtest_filter='*RealWindow*' >"$OUT/gtest.txt" 2>&1 \
    || fail "the editor in a real window: $(tail -20 "$OUT/gtest.txt")"
  grep -q '\[  PASSED  \] 1 test' "$OUT/gtest.txt" || fail "the real-window test did not run: $(tail -5 "$OUT/gtest.txt")"
fi

echo "PASS"
