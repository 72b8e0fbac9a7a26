#!/usr/bin/env bash
# The chain plug-in in Ardour, run headless from Debian's ardour package
# (ardour7-lua, Dummy audio backend): a session is created, a stereo track
# gets the plug-in, and
#  - Ardour reads the 64 frames of latency and the maker's name;
#  - its n-th control is parameter n (controls come first, in table order);
#  - a factory preset loads through Ardour's preset list;
#  - after saving, it exports a second of Ardour's own sine generator
#    (-18 dBFS) through the plug-in, once with only the clipper on at -6 dB
#    output and once with the plug-in's enabled port off: the files must
#    read -24 and -18 dBFS, so the audio of an offline export runs the chain;
#  - a second Ardour process loads the saved session and finds the plug-in
#    with the values it had (the host's own state of the ports).
# The reload runs in a process of its own: ardour7-lua cannot load a
# session again after closing one.
#   ardour-host-test.sh LV2_DIR [SANITIZERS]
# Exits 77 (skipped) without ardour7-lua, and in sanitizer builds (Ardour is
# not instrumented and cannot load our instrumented binary).
set -u
LV2_DIR=$1
SANITIZERS=${2:-}
ARDOUR_LUA=$(command -v ardour7-lua || true)

skip() { echo "SKIP: $*"; exit 77; }
fail() {
  echo "FAIL: $*"
  for log in "$OUT"/*.log; do
    [ -s "$log" ] && { echo "--- $(basename "$log") (end)"; grep -v '^\[WARNING\]' "$log" | tail -n 20; }
  done
  exit 1
}

[ -n "$ARDOUR_LUA" ] || skip "ardour7-lua is not installed (Debian package ardour)"
[ -z "$SANITIZERS" ] || skip "-fsanitize=$SANITIZERS build: Ardour cannot load an instrumented plug-in"

OUT=$(mktemp -d)
trap 'rm -rf "$OUT"' EXIT
export LV2_PATH=$LV2_DIR
# Ardour keeps its configuration and plug-in cache here, not in the user's.
export XDG_CONFIG_HOME=$OUT/config XDG_CACHE_HOME=$OUT/cache

# A 16-bit WAV export without dither and without Ardour's analysis (whose
# FFT teardown in the export thread is not safe in this Ardour).
mkdir -p "$OUT/config/ardour7/export"
cat > "$OUT/config/ardour7/export/test.format" <<EOF
<?xml version="1.0" encoding="UTF-8"?>
<ExportFormatSpecification name="Test WAV" id="5f0c7f4e-3d1a-4b8e-9c55-0a1b2c3d4e5f" analyse="0">
  <Encoding id="F_WAV" type="T_Sndfile" extension="wav" name="WAV" has-sample-format="true" channel-limit="256"/>
  <SampleRate rate="SR_Session"/>
  <SRCQuality quality="SRC_SincBest"/>
  <EncodingOptions>
    <Option name="sample-format" value="SF_16"/>
    <Option name="dithering" value="D_None"/>
    <Option name="tag-metadata" value="false"/>
    <Option name="tag-support" value="false"/>
    <Option name="broadcast-info" value="false"/>
  </EncodingOptions>
  <Processing>
    <Normalize enabled="false" loudness="no" dbfs="0" lufs="-23" dbtp="-1"/>
  </Processing>
</ExportFormatSpecification>
EOF
cat > "$OUT/config/ardour7/export/test.preset" <<EOF
<?xml version="1.0" encoding="UTF-8"?>
<ExportPreset id="8e2d6b1a-7c4f-4f0e-b3a9-1d2e3f405162" name="Test WAV">
  <ExportFormat id="5f0c7f4e-3d1a-4b8e-9c55-0a1b2c3d4e5f"/>
  <ExportFilename>
    <Folder relative="1" path="export"/>
    <Field name="label" enabled="0"/>
    <Field name="session" enabled="0"/>
    <Field name="snapshot" enabled="0"/>
    <Field name="timespan" enabled="1"/>
    <Field name="revision" enabled="0"/>
    <Field name="time" enabled="0" value="T_None"/>
    <Field name="date" enabled="0" value="D_None"/>
  </ExportFilename>
</ExportPreset>
EOF

cat > "$OUT/common.lua" <<EOF
-- Ardour frees the session in close_session(); Lua's references to its
-- tracks, plug-ins and exporters must be gone before, or their finalisers
-- run on freed memory. So each script's work runs in a block of its own.
function release_then_close()
  collectgarbage()
  collectgarbage()
  close_session()
end
EOF

cat > "$OUT/create.lua" <<EOF
dofile("$OUT/common.lua")
do
local s = create_session("$OUT/session", "session", 48000)
assert(s, "no session")
local track = s:new_audio_track(2, 2, nil, 1, "Song", ARDOUR.PresentationInfo.max_order,
                                ARDOUR.TrackMode.Normal, true):front()
local p = ARDOUR.LuaAPI.new_plugin(s, "urn:vantor:lv2:chain", ARDOUR.PluginType.LV2, "")
assert(not p:isnil(), "Ardour does not find urn:vantor:lv2:chain")
assert(track:add_processor_by_index(p, 0, nil, true), "the plug-in does not go on the track")
local plug = p:to_plugininsert():plugin(0)
assert(p:signal_latency() == 64, "latency " .. p:signal_latency())
assert(plug:maker() == "Vantor", "maker '" .. plug:maker() .. "'")
-- Control n is parameter n.
local function label(n)
  local port = plug:nth_parameter(n, true)
  return plug:parameter_label(port)
end
assert(label(0) == "Enabled", label(0))
assert(label(1) == "Patch", label(1))
assert(label(17) == "EQ High Shelf Gain", label(17))
assert(label(46) == "Clipper Output", label(46))
local function get(n) return (ARDOUR.LuaAPI.get_processor_param(p, n, true)) end
-- A factory preset, then one control moved away from it.
local preset = plug:preset_by_label("Mastering: Bright And Airy")
assert(preset and preset.valid, "no factory preset 'Mastering: Bright And Airy'")
assert(plug:load_preset(preset), "the preset does not load")
assert(get(17) == 3.0 and get(12) == 2500.0 and get(24) == 32.0,
       "preset values " .. get(17) .. " " .. get(12) .. " " .. get(24))
assert(ARDOUR.LuaAPI.set_processor_param(p, 44, -2.0))
assert(get(44) == -2.0, "clipper gain " .. get(44))
assert(s:save_state("", false, false, false, false, false) == 0, "the session was not saved")
-- Export, after the save: the sine generator ahead of the plug-in, every
-- module but the clipper off, the clipper's output at -6 dB.
local gen = ARDOUR.LuaAPI.new_luaproc(s, "SinGen")
assert(not gen:isnil(), "no SinGen generator")
assert(track:add_processor_by_index(gen, 0, nil, true), "the generator does not go on the track")
local set = ARDOUR.LuaAPI.set_processor_param
for _, n in ipairs({2, 22, 30}) do assert(set(p, n, 0)) end
assert(set(p, 43, 1) and set(p, 44, 0) and set(p, 45, -6.3) and set(p, 46, -6.0))
local function export(name)
  local e = s:simple_export()
  e:set_folder("$OUT/export")
  e:set_name(name)
  e:set_range(0, 48000)
  assert(e:set_preset("8e2d6b1a-7c4f-4f0e-b3a9-1d2e3f405162"), "no test export preset")
  assert(e:run_export(), "the export of " .. name .. " failed")
end
export("processed")
assert(set(p, 0, 0))
export("bypassed")
end
release_then_close()
print("CREATED")
EOF

cat > "$OUT/reload.lua" <<EOF
dofile("$OUT/common.lua")
do
local s = load_session("$OUT/session", "session")
assert(s, "the session does not load")
local route = s:route_by_name("Song")
assert(not route:isnil(), "no track")
local p = route:nth_plugin(0)
assert(not p:isnil() and p:display_name() == "Vantor Mastering Chain", "the plug-in is gone")
local function get(n) return (ARDOUR.LuaAPI.get_processor_param(p, n, true)) end
assert(get(17) == 3.0 and get(12) == 2500.0 and get(24) == 32.0 and get(44) == -2.0,
       "reloaded values " .. get(17) .. " " .. get(12) .. " " .. get(24) .. " " .. get(44))
assert(p:signal_latency() == 64, "latency after reload " .. p:signal_latency())
end
release_then_close()
print("RELOADED")
EOF

# This Ardour sometimes dies on a signal as an export ends (a heap fault in
# its export graph's teardown, racing the Lua thread; valgrind finds no fault
# in the plug-in on the same run). Only such deaths are tried again; a failed
# check ends the script normally and fails at once.
for attempt in 1 2 3 4 5; do
  rm -rf "$OUT/session" "$OUT/export"
  timeout 120 "$ARDOUR_LUA" "$OUT/create.lua" > "$OUT/create.log" 2>&1
  status=$?
  [ $status -gt 128 ] && [ $status -ne 124 ] || break
  echo "Ardour died on signal $((status - 128)) (attempt $attempt); trying again"
done
grep -q '^CREATED$' "$OUT/create.log" || fail "creating, saving and exporting the session"
timeout 120 "$ARDOUR_LUA" "$OUT/reload.lua" > "$OUT/reload.log" 2>&1
grep -q '^RELOADED$' "$OUT/reload.log" || fail "reloading the session"
# The level of the last half second of each export, from the samples.
level() {
  python3 - "$1" <<'PY'
import array, math, sys, wave
w = wave.open(sys.argv[1])
frames = w.getnframes()
samples = array.array("h", w.readframes(frames))
tail = samples[len(samples) // 2:]
peak = max(abs(v) for v in tail) / 32768.0
print(frames, "%.1f" % (20 * math.log10(peak)) if peak > 0 else "silent")
PY
}
[ "$(level "$OUT/export/processed.wav")" = "48000 -24.0" ] ||
  fail "the processed export reads '$(level "$OUT/export/processed.wav")', not 48000 frames at -24.0 dBFS"
[ "$(level "$OUT/export/bypassed.wav")" = "48000 -18.0" ] ||
  fail "the bypassed export reads '$(level "$OUT/export/bypassed.wav")', not 48000 frames at -18.0 dBFS"
echo "PASS: Ardour hosts the chain: latency, maker, control order, preset, session state and export"
