#!/usr/bin/env bash
# Runs the README's first command and checks that the sample ran from inside the
# executable: its classes, resource and service from the nested jars, its arguments intact.
set -uo pipefail
cd "$(dirname "$0")/.."
output=$(scripts/demo.sh 2>&1)
status=$?
echo "$output"
[ $status -eq 0 ] || { echo "FAIL: scripts/demo.sh exited with $status"; exit 1; }
for expected in \
  "Loaded by com.vostrand.oru.KestrunClassLoader" \
  "Class sample.Hello from oru:t.jar!sample/Hello.class" \
  "Resource oru:libs/greeting.jar!sample/greeting/greeting.txt: Grüß Gott (U+00FC U+00DF)" \
  "Service sample.plugins.LoudGreeter from oru:libs/plugins.jar!sample/plugins/LoudGreeter.class: HELLO, WORLD!" \
  "Argument 1: Grüße (U+00FC U+00DF)" \
  "Argument 2: 世界 (U+4E16 U+754C)"; do
  grep -qxF -- "$expected" <<<"$output" || { echo "FAIL: the demo did not print: $expected"; exit 1; }
done
echo "ok: the demo packed and ran the sample"
