# Private servers for the tests that need a display or a JACK server, so a
# test never meets a user's session or another test. Source this file after
# setting OUT (a scratch folder); the caller's EXIT trap calls stop_servers
# (stop_jack ends the JACK server alone).
#   start_xvfb    exports DISPLAY for a new Xvfb; exits 77 without one
#   start_jack    exports JACK_DEFAULT_SERVER for a new dummy-driver JACK
#                 server at 48 kHz; exits 77 without one
XVFB_PID=""
JACK_PID=""

stop_jack() {
  [ -n "$JACK_PID" ] && kill "$JACK_PID" 2>/dev/null && wait "$JACK_PID" 2>/dev/null
  JACK_PID=""
}

stop_servers() {
  stop_jack
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
  XVFB_PID=""
}

start_xvfb() {
  command -v Xvfb >/dev/null || { echo "SKIP: Xvfb is not installed (scripts/install-deps.sh adds it)"; exit 77; }
  command -v xdotool >/dev/null || { echo "SKIP: xdotool is not installed"; exit 77; }
  local n number=""
  # Tests run side by side: start from a number of this process's own.
  for n in $(seq $((100 + $$ % 300)) 499); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || { number=$n; break; }
  done
  [ -n "$number" ] || { echo "SKIP: no free display number"; exit 77; }
  Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp -noreset >"$OUT/xvfb.log" 2>&1 &
  XVFB_PID=$!
  export DISPLAY=":$number"
  for _ in $(seq 50); do
    xdotool getdisplaygeometry >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "SKIP: Xvfb did not start"
  cat "$OUT/xvfb.log"
  exit 77
}

start_jack() {
  command -v jackd >/dev/null || { echo "SKIP: jackd is not installed (scripts/install-deps.sh adds it)"; exit 77; }
  export JACK_DEFAULT_SERVER="vantor-test-$$"
  # -r: no real-time scheduling, which needs privileges a test may lack;
  # -t: a slow, shared machine must not make the server drop its clients.
  jackd -n "$JACK_DEFAULT_SERVER" -r -t 5000 -d dummy -r 48000 -p 256 >"$OUT/jackd.log" 2>&1 &
  JACK_PID=$!
  timeout 10 jack_wait -w -t 10 >/dev/null 2>&1 && return 0
  echo "SKIP: the JACK server did not start"
  cat "$OUT/jackd.log"
  exit 77
}
