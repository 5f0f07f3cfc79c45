#!/usr/bin/env bash
# Runs the Windows launcher under wine on a headless display: it must show exactly one
# message box, "Java Runtime Environment not found." captioned "Error", and exit with 0
# once the box is dismissed.
# usage: message_box_test.sh LAUNCHER.EXE
set -u
exe=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cat >"$work/run.sh" <<'INNER'
exe=$1 work=$2
WINEDEBUG=trace+msgbox wine "$exe" >"$work/out" 2>"$work/err" &
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
grep -q 'MSGBOX_OnInit L"Java Runtime Environment not found."' "$work/err" || fail "wrong text"
echo "ok: one message box, exit code 0"
