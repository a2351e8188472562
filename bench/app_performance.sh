#!/usr/bin/env bash
# What Nimbel costs while it runs, measured from outside through /proc: first `nimbel` on the system's
# HID devices with none of ours plugged in, then `nimbel --demo` with the emulated mouse bound and its
# lighting running.
#   bench/app_performance.sh [BUILD_DIR] [SECONDS]
# Figures: CPU (% of one core: time on a CPU of the process's threads) averaged over SECONDS (default 20)
# with no device, and its peak resident memory (VmHWM); then with the demo mouse, process start to the
# window shown on the mouse's arrival, CPU with the window hidden in the notification area and then shown
# with the page's preview animating, and the peak resident memory. Take SECONDS of 60 or more for figures
# below 0.05 %.
# Goals: no device < 0.05 %; start to window < 500 ms, hidden < 0.3 %, shown < 3 %, peak RSS < 80 MB.
# QT_QPA_PLATFORM chooses the display (offscreen by default, which still paints every frame).
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${1:-build}
seconds=${2:-20}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE:-RelWithDebInfo} >/dev/null
cmake --build "$build_dir" --target nimbel >/dev/null

scratch=$(mktemp -d)
mkdir -m 700 "$scratch/runtime"
export XDG_DATA_HOME="$scratch/data" XDG_CONFIG_HOME="$scratch/config" XDG_STATE_HOME="$scratch/state"
export XDG_RUNTIME_DIR="$scratch/runtime"
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
# A private session bus: the measured instance must not meet a running Nimbel, and the shown phase is
# started the way a second instance does it.
eval "$(dbus-launch --sh-syntax)"
nimbel_pid=
cleanup() {
  [ -n "$nimbel_pid" ] && kill "$nimbel_pid" 2>/dev/null || true
  kill "$DBUS_SESSION_BUS_PID" 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT

# Nanoseconds on a CPU of every thread of the process; the clock ticks of /proc/PID/stat are too coarse
# for figures below 0.1 %, as they charge whole ticks to whichever thread runs when one strikes.
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ sum += $1 } END { printf "%.0f", sum }'; }
cpu_percent() {  # pid seconds
  local before after
  before=$(cpu_ns "$1")
  sleep "$2"
  after=$(cpu_ns "$1")
  awk -v ns=$((after - before)) -v s="$2" 'BEGIN { printf "%.3f", 100 * ns / 1e9 / s }'
}

# Without a device the window stays hidden from the start.
"$build_dir/app/nimbel" 2>/dev/null &
nimbel_pid=$!
sleep 2
idle=$(cpu_percent "$nimbel_pid" "$seconds")
idle_rss_kb=$(awk '/^VmHWM/ { print $2 }' "/proc/$nimbel_pid/status")
kill -TERM "$nimbel_pid"
wait "$nimbel_pid" || true
nimbel_pid=

close_after=3
: >"$scratch/stderr"
NIMBEL_STARTUP_TIMING=1 "$build_dir/app/nimbel" --demo --close-after=$close_after 2>"$scratch/stderr" &
nimbel_pid=$!
for _ in $(seq 100); do
  grep -q "window shown" "$scratch/stderr" && break
  sleep 0.1
done
startup_ms=$(sed -n 's/.*window shown \([0-9]*\) ms.*/\1/p' "$scratch/stderr")

sleep $((close_after + 1))
hidden=$(cpu_percent "$nimbel_pid" "$seconds")

dbus-send --session --type=method_call --dest=org.nimbel.Nimbel /org/nimbel/Nimbel \
  org.nimbel.Nimbel.PostMessage string:Nimbel int64:0 int64:1
sleep 1
shown=$(cpu_percent "$nimbel_pid" "$seconds")
rss_kb=$(awk '/^VmHWM/ { print $2 }' "/proc/$nimbel_pid/status")

kill -TERM "$nimbel_pid"
wait "$nimbel_pid" && exit_code=0 || exit_code=$?
nimbel_pid=

verdict() { awk -v v="$1" -v goal="$2" 'BEGIN { print (v != "" && v < goal) ? "ok" : "OVER" }'; }
printf '%-34s %10s   goal %s  %s\n' \
  "CPU, no device (% of a core)" "$idle" "< 0.05" "$(verdict "$idle" 0.05)" \
  "peak RSS, no device (MB)" "$((idle_rss_kb / 1024))" "< 80" "$(verdict $((idle_rss_kb / 1024)) 80)" \
  "start to window shown (ms)" "${startup_ms:-?}" "< 500" "$(verdict "${startup_ms:-}" 500)" \
  "CPU, window hidden (% of a core)" "$hidden" "< 0.3" "$(verdict "$hidden" 0.3)" \
  "CPU, window shown (% of a core)" "$shown" "< 3" "$(verdict "$shown" 3)" \
  "peak RSS (MB)" "$((rss_kb / 1024))" "< 80" "$(verdict $((rss_kb / 1024)) 80)"
echo "exit code after SIGTERM: $exit_code"
