# Private servers for the tests that need a display or a JACK server, so a
# test never meets a user's session or another test. Source this file after
# setting OUT (a scratch folder); the caller's EXIT trap calls stop_servers
# (stop_jack ends the JACK server alone).
#   start_xvfb    exports DISPLAY for a new Xvfb; exits 77 without one
#   start_jack    exports JACK_DEFAULT_SERVER for a new dummy-driver JACK
#                 server at 48 kHz; exits 77 without one
#   start_client  starts a JACK client and waits for its port, with retries
# Servers run under `timeout` a little longer than any test's own limit, so
# none outlives a test that CTest had to kill.
SERVER_LIMIT=200
XVFB_PID=""
JACK_PID=""

# Seconds to wait for a command to succeed, polling every tenth of a second.
wait_for() {
  local seconds=$1
  shift
  for _ in $(seq $((seconds * 10))); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}

# Whether a child has ended (gone, or a zombie not yet waited for).
ended() { [ ! -e "/proc/$1" ] || grep -q '^[0-9]* (.*) Z' "/proc/$1/stat" 2>/dev/null; }

# Ends a `timeout` and what it runs: TERM, and after five seconds KILL to
# the process group (timeout makes one of its own).
stop() {
  [ -n "$1" ] || return 0
  kill "$1" 2>/dev/null
  for _ in $(seq 50); do ended "$1" && break; sleep 0.1; done
  ended "$1" || kill -KILL -- "-$1" 2>/dev/null
  wait "$1" 2>/dev/null
}

stop_jack() {
  stop "$JACK_PID"
  JACK_PID=""
}

stop_servers() {
  stop_jack
  stop "$XVFB_PID"
  XVFB_PID=""
}

start_xvfb() {
  command -v Xvfb >/dev/null || { echo "SKIP: Xvfb is not installed (scripts/install-deps.sh adds it)"; exit 77; }
  command -v xdotool >/dev/null || { echo "SKIP: xdotool is not installed"; exit 77; }
  # The server picks a free display number itself and tells it.
  timeout $SERVER_LIMIT Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset \
    3>"$OUT/display" >"$OUT/xvfb.log" 2>&1 &
  XVFB_PID=$!
  wait_for 10 test -s "$OUT/display" || { echo "SKIP: Xvfb did not start: $(tail -n 5 "$OUT/xvfb.log")"; exit 77; }
  export DISPLAY=":$(head -n 1 "$OUT/display")"
  wait_for 10 xdotool getdisplaygeometry || { echo "SKIP: Xvfb on $DISPLAY does not answer"; exit 77; }
}

start_jack() {
  for tool in jackd jack_lsp jack_connect; do
    command -v $tool >/dev/null || { echo "SKIP: $tool is not installed (scripts/install-deps.sh adds it)"; exit 77; }
  done
  # A name of its own, and no client may start a default server instead.
  export JACK_DEFAULT_SERVER="vantor-test-$$-$RANDOM"
  export JACK_NO_START_SERVER=1
  # No real-time scheduling, which needs privileges a test may lack.
  timeout $SERVER_LIMIT jackd --no-realtime -n "$JACK_DEFAULT_SERVER" -d dummy -r 48000 -p 256 \
    >"$OUT/jackd.log" 2>&1 &
  JACK_PID=$!
  wait_for 10 timeout 2 jack_lsp \
    || { echo "SKIP: the JACK server (dummy driver) does not start here: $(tail -n 5 "$OUT/jackd.log")"; exit 77; }
}

# Opening a JACK client now and then fails ("Cannot open ... client") while
# other JACK servers start or stop on the machine, whatever their names: a
# client gets three tries, and a command five.
# start_client PID_VARIABLE PORT LOG COMMAND...: starts COMMAND (stdout to
# LOG.out, stderr to LOG.err) and waits until PORT is on the server.
start_client() {
  local pid_variable=$1 port=$2 log=$3 pid
  shift 3
  for attempt in 1 2 3; do
    timeout $SERVER_LIMIT "$@" >"$log.out" 2>"$log.err" &
    pid=$!
    printf -v "$pid_variable" %s "$pid"
    for _ in $(seq 150); do
      timeout 5 jack_lsp 2>/dev/null | grep -qxF "$port" && return 0
      ended "$pid" && break
      sleep 0.1
    done
    stop "$pid"
    echo "note: $port did not appear (try $attempt): $(tail -n 3 "$log.err" | tr '\n' ' ')"
  done
  return 1
}
retry() {
  for _ in 1 2 3 4; do "$@" && return 0; sleep 0.5; done
  "$@"
}
