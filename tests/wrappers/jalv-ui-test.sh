#!/usr/bin/env bash
# The LV2 editor in a real host: Debian's jalv (its GTK front end) runs the
# chain plug-in from the build's vantor.lv2 on a private JACK server (dummy
# driver) and a private Xvfb and embeds our X11 UI through suil. Then
#  - jalv's window is at least the size of the chain layout and shows the
#    layout's picture (not jalv's generic controls, not an empty window);
#  - a knob dragged in the editor reaches the plug-in: with a tone at the
#    input, turning the limiter's input drive up lights the clip output,
#    which jalv prints;
#  - jalv closes the UI and exits cleanly when asked to quit.
#   jalv-ui-test.sh BIN_DIR BUNDLE_DIR [SANITIZERS]
# SANITIZERS is the build's -fsanitize list. jalv is not instrumented, and
# with the AddressSanitizer runtime preloaded (which it would need to load
# our instrumented UI) GTK never gets past its start: libgpg-error's
# constructor calls bindtextdomain before the runtime is set up, the
# runtime's lazy start-up re-enters glibc's gettext lock, and gtk_init then
# waits on that lock forever. So sanitizer builds skip this test; the plain
# build runs it.
# Exits 77 (skipped) when jalv, suil's X11-in-GTK wrapper, JACK, Xvfb, xdotool
# or xwd is missing, or when the JACK server cannot start here.
set -u
BIN=$1
BUNDLE=$2
SANITIZERS=${3:-}
HERE=$(cd "$(dirname "$0")" && pwd)
URI=urn:vantor:lv2:chain
TITLE='^Vantor Mastering Chain$'   # jalv titles its window with the plug-in's name

skip() { echo "SKIP: $*"; exit 77; }
fail() {
  echo "FAIL: $*"
  for log in jalv.err jalv.out; do
    [ -s "$OUT/$log" ] && { echo "--- $log (end)"; tail -n 25 "$OUT/$log"; }
  done
  [ -f "$OUT/window.png" ] && cp "$OUT/window.png" "$PWD/jalv-ui-window.png" \
    && echo "jalv's window as it was: $PWD/jalv-ui-window.png"
  exit 1
}

[ -z "$SANITIZERS" ] || skip "-fsanitize=$SANITIZERS build: jalv is not instrumented and, with the runtime preloaded, hangs in GTK's start-up; the plain build runs this test"

# jalv.gtk3 embeds X11 UIs through suil's libsuil_x11_in_gtk3 module; older
# Debian releases name the GTK 2 front end jalv.gtk.
JALV=$(command -v jalv.gtk3) && SUIL_WRAPPER=libsuil_x11_in_gtk3.so
[ -n "$JALV" ] || { JALV=$(command -v jalv.gtk) && SUIL_WRAPPER=libsuil_x11_in_gtk2.so; }
[ -n "$JALV" ] || skip "jalv's GTK front end is not installed (scripts/install-deps.sh adds jalv)"
compgen -G "/usr/lib/suil-0/$SUIL_WRAPPER" >/dev/null || compgen -G "/usr/lib/*/suil-0/$SUIL_WRAPPER" >/dev/null \
  || skip "suil's $SUIL_WRAPPER is missing: $(basename "$JALV") cannot embed an X11 UI"
for tool in jack_simple_client xwd python3 stdbuf; do
  command -v $tool >/dev/null || skip "$tool is not installed (scripts/install-deps.sh adds it)"
done

OUT=$(mktemp -d)
. "$HERE/../lib/servers.sh"
JALV_PID=""
TONE_PID=""
cleanup() {
  stop "$JALV_PID"
  stop "$TONE_PID"
  stop_servers
  rm -rf "$OUT"
}
trap cleanup EXIT

png_size() { python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(24); print(*struct.unpack(">II", d[16:24]))' "$1"; }

# What the chain editor looks like: the skin tool composes its layout.
timeout 30 "$BIN/vantor-skin" render "$BUNDLE/Vantor.xrs" --editor chain -o "$OUT/layout.png" \
  || fail "the skin tool cannot compose the chain layout"
read -r EDITOR_WIDTH EDITOR_HEIGHT < <(png_size "$OUT/layout.png")

# jalv finds the bundle through LV2_PATH; a folder of its own holds only
# vantor.lv2 (the build's bundle folder also holds Vantor.vpa and the skin,
# which lilv would try to read as bundles). The plug-in follows the link to
# Vantor.vpa from the real bundle folder.
mkdir "$OUT/lv2"
ln -s "$BUNDLE/vantor.lv2" "$OUT/lv2/vantor.lv2"

start_jack
start_xvfb

# GTK without a desktop: no accessibility bus, no settings daemon.
export NO_AT_BRIDGE=1 GSETTINGS_BACKEND=memory
# Client names of their own as well, which makes such failures rarer.
CLIENT="vantor-ui-$$"
TONE="vantor-tone-$$"
# jalv prints the plug-in's output controls as they change (line-buffered, so
# they can be read while it runs).
start_client JALV_PID "$CLIENT:in_r" "$OUT/jalv" env LV2_PATH="$OUT/lv2" stdbuf -oL "$JALV" --print-controls \
  --jack-name "$CLIENT" --exact-jack-name "$URI" || fail "jalv did not start on the JACK server"

# jalv says which UI it chose; "None" means its generic controls.
wait_for 30 grep -q '^UI: ' "$OUT/jalv.out" "$OUT/jalv.err" || fail "jalv did not get as far as choosing a UI"
grep -hq "^UI: *urn:vantor:lv2:ui$" "$OUT/jalv.out" "$OUT/jalv.err" \
  || fail "jalv did not choose the editor: $(grep -h '^UI: ' "$OUT/jalv.out" "$OUT/jalv.err")"
WINDOW=$(timeout 20 xdotool search --sync --onlyvisible --name "$TITLE" | head -n 1)
[ -n "$WINDOW" ] || fail "jalv's window did not appear"

# The screen as it is (the editor is a child window of another process, so
# the window is read off the screen, not asked for its own picture), and the
# layout searched for inside jalv's window. Repeated until the editor has
# painted, for at most 20 seconds.
for _ in $(seq 20); do
  eval "$(xdotool getwindowgeometry --shell "$WINDOW")"
  timeout 20 xwd -root -silent >"$OUT/screen.xwd" || fail "xwd cannot read the screen"
  read -r _ DX DY _ MATCH _ COLOURS < <(timeout 60 python3 "$HERE/find-picture.py" \
    "$OUT/screen.xwd" "$X" "$Y" "$WIDTH" "$HEIGHT" "$OUT/layout.png" "$OUT/window.png")
  [ "${MATCH:-0}" -ge 90 ] && break
  sleep 1
done
[ "$WIDTH" -ge "$EDITOR_WIDTH" ] && [ "$HEIGHT" -ge "$EDITOR_HEIGHT" ] \
  || fail "jalv's window is ${WIDTH}x$HEIGHT, smaller than the editor's ${EDITOR_WIDTH}x$EDITOR_HEIGHT"
# A blank or single-colour window has a handful of colours; the editor hundreds.
[ "${COLOURS:-0}" -gt 100 ] || fail "jalv's window is blank ($COLOURS colours)"
# The knobs and value fields differ from the layout (a few per cent of the
# pixels); a window of the editor's background colour matches a third.
[ "$MATCH" -ge 90 ] || fail "the editor is not in jalv's window: at best $MATCH % of the layout agrees"
echo "jalv shows the editor: window ${WIDTH}x$HEIGHT, layout at +$DX+$DY, $MATCH % of its pixels agree"

# A steady tone into the plug-in; it leaves the clip light dark until the
# limiter's input drive goes up.
start_client TONE_PID "$TONE:output2" "$OUT/tone" jack_simple_client "$TONE" \
  || fail "the tone did not start on the JACK server"
retry jack_connect "$TONE:output1" "$CLIENT:in_l" && retry jack_connect "$TONE:output2" "$CLIENT:in_r" \
  || fail "cannot connect the tone to jalv"
sleep 1
grep -q '^clip = 1' "$OUT/jalv.out" && fail "the clip light is on before any knob moved"

# Drag the limiter's input drive knob (its panel's top-left knob, at
# (63, 486) in the editor) all the way up.
KNOB_X=$((X + DX + 63))
KNOB_Y=$((Y + DY + 486))
xdotool mousemove "$KNOB_X" "$KNOB_Y" mousedown 1
for step in 1 2 3 4 5 6; do
  sleep 0.1
  xdotool mousemove "$KNOB_X" $((KNOB_Y - 50 * step))
done
xdotool mouseup 1
wait_for 10 grep -q '^clip = 1' "$OUT/jalv.out" \
  || fail "the knob moved in the editor but the plug-in did not hear it (no 'clip = 1' from jalv)"
echo "a knob dragged in the editor reaches the plug-in"

# Quitting: jalv closes the UI (our cleanup runs) and ends without a crash.
kill "$JALV_PID"
for _ in $(seq 150); do ended "$JALV_PID" && break; sleep 0.1; done
ended "$JALV_PID" || fail "jalv did not end within 15 seconds of being asked to quit"
wait "$JALV_PID"
STATUS=$?
JALV_PID=""
[ "$STATUS" -eq 0 ] || fail "jalv ended with status $STATUS when asked to quit"

echo "PASS"
