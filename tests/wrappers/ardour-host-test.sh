#!/usr/bin/env bash
# The chain plug-in in Ardour, run headless from Debian's ardour package
# (ardour7-lua, Dummy audio backend): a session is created, a stereo track
# gets the plug-in, and
#  - Ardour reads the 64 frames of latency and the maker's name;
#  - its n-th control is parameter n (controls come first, in table order);
#  - a factory preset loads through Ardour's preset list;
#  - after saving, a second Ardour process loads the session and finds the
#    plug-in with the values it had (the host's own state of the ports).
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

cat > "$OUT/create.lua" <<EOF
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
close_session()
print("CREATED")
EOF

cat > "$OUT/reload.lua" <<EOF
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
close_session()
print("RELOADED")
EOF

timeout 120 "$ARDOUR_LUA" "$OUT/create.lua" > "$OUT/create.log" 2>&1
grep -q '^CREATED$' "$OUT/create.log" || fail "creating the session with the plug-in"
timeout 120 "$ARDOUR_LUA" "$OUT/reload.lua" > "$OUT/reload.log" 2>&1
grep -q '^RELOADED$' "$OUT/reload.log" || fail "reloading the session"
echo "PASS: Ardour hosts the chain: latency, maker, control order, preset and session state"
