#!/usr/bin/env bash
# The real program on a virtual display: it starts in demo mode and shows the
# launcher; a second start is refused with "Cardivex Velmora is already
# running"; after the first was killed with SIGKILL a new start succeeds; asked
# to terminate, it exits with code 0. Skipped (77) without Xvfb or xdotool.
#
#   velmora-under-xvfb.sh BIN_DIR
set -u
bin="$1"
for tool in xvfb-run xdotool; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
if [ -z "${VELMORA_UNDER_XVFB:-}" ]; then
  export VELMORA_UNDER_XVFB=1
  exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$@"
fi
unset QT_QPA_PLATFORM
work="$(mktemp -d)"
trap 'kill -9 $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
# The single-instance segment is keyed through a file in the temporary folder:
# a folder of its own keeps this run apart from any other Velmora on the machine.
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work" TMPDIR="$work"
mkdir -p "$XDG_CONFIG_HOME/Cardivex" "$XDG_DATA_HOME"
printf '[Config]\nAcqMode=demo\n' > "$XDG_CONFIG_HOME/Cardivex/Velmora.conf"
cd "$bin"

fail() { echo "FAIL: $*"; exit 1; }
# Waits up to 15 s for a window of that name.
wait_window() {
  for _ in $(seq 150); do
    xdotool search --name "$1" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}

./velmora & first=$!
wait_window "^Cardivex Velmora$" || fail "the launcher did not appear"
# The launcher may show before the store's file is on disk (a loaded machine).
for _ in $(seq 150); do
  [ -f "$XDG_DATA_HOME/CardivexVetStress/data/studies.sqlite" ] && break
  sleep 0.1
done
[ -f "$XDG_DATA_HOME/CardivexVetStress/data/studies.sqlite" ] || fail "the study store was not created"

./velmora > "$work/second.out" 2>&1 & second=$!
wait_window "^Information$" || fail "the second start showed no message"
win="$(xdotool search --name "^Information$" | head -1)"
xdotool windowfocus --sync "$win" key --window "$win" Return 2>/dev/null || xdotool key Return
for _ in $(seq 100); do kill -0 "$second" 2>/dev/null || break; sleep 0.1; done
kill -0 "$second" 2>/dev/null && fail "the second start did not end"
wait "$second"; code=$?
[ "$code" -eq 0 ] || fail "the second start ended with $code"
kill -0 "$first" 2>/dev/null || fail "the first instance ended"

kill -9 "$first"; wait "$first" 2>/dev/null
./velmora & third=$!
sleep 1
kill -0 "$third" 2>/dev/null || fail "a start after a killed instance was refused"
wait_window "^Cardivex Velmora$" || fail "the launcher did not appear after the kill"
xdotool search --name "^Information$" >/dev/null 2>&1 && fail "a start after a killed instance said it is running"

kill -TERM "$third"
for _ in $(seq 100); do kill -0 "$third" 2>/dev/null || break; sleep 0.1; done
wait "$third"; code=$?
[ "$code" -eq 0 ] || fail "the program ended with $code when asked to terminate"
echo "1 passed, 0 failed"
