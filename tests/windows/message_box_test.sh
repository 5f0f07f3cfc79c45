#!/usr/bin/env bash
# Runs the Windows launcher under wine on a headless display: it must show exactly one
# message box with the expected text, captioned "Error", and exit with 0 once the box is
# dismissed. Configuration lines, if any, go into a .cfg file beside a copy of the launcher.
# The launch trace goes to a file (a GUI program has no console) that must tell the
# failed result.
# usage: message_box_test.sh LAUNCHER.EXE "EXPECTED TEXT" [CONFIGURATION LINE]...
set -u
source_exe=$1 expected=$2
shift 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
exe="$work/tool.exe"
cp "$source_exe" "$exe"
[ $# -gt 0 ] && printf '%s\r\n' "$@" >"$work/tool.cfg"

cat >"$work/run.sh" <<'INNER'
exe=$1 work=$2
ORU_TRACE="Z:$work/trace.txt" WINEDEBUG=trace+msgbox wine "$exe" >"$work/out" 2>"$work/err" &
pid=$!
window=
for _ in $(seq 1 120); do
  window=$(xdotool search --name '^Error$' 2>/dev/null | head -1)
  [ -n "$window" ] && break
  sleep 0.5
done
echo "$window" >"$work/window"
[ -n "$window" ] && xdotool key --window "$window" Return
wait $pid
echo $? >"$work/rc"
INNER
env -u JAVA_HOME -u JRE_HOME xvfb-run -a bash "$work/run.sh" "$exe" "$work"

fail() { echo "FAIL: $*"; cat "$work/err"; exit 1; }
[ -s "$work/window" ] || fail "no window captioned Error appeared"
[ "$(cat "$work/rc")" = 0 ] || fail "exit code $(cat "$work/rc")"
boxes=$(grep -c 'MSGBOX_OnInit' "$work/err")
[ "$boxes" = 1 ] || fail "$boxes message boxes"
grep -qF "MSGBOX_OnInit L\"$expected\"" "$work/err" || fail "the text is not \"$expected\""
grep -q '^oru-trace [0-9]*ms launch: result [1-9]' "$work/trace.txt" ||
  fail "the trace file does not tell the failed launch: $(cat "$work/trace.txt" 2>&1)"
echo "ok: one message box \"$expected\", exit code 0, the failure traced"
