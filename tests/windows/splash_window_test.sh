#!/usr/bin/env bash
# The splash window under wine on a headless 1024 x 768 screen, with a launcher that
# carries a 400 x 300 bitmap added by oru-pack:
#  1. while a stand-in runtime holds the start, the window stands at (312, 234), 400 x 300,
#     titled "Please wait ...", showing the bitmap (a screenshot is kept in ARTIFACTS),
#     and clicks leave it; the stand-in has found the eight natives in the launcher as a
#     Windows runtime looks them up; its failure's message box is owned by the splash,
#     which its timer closes after the box while the process is still there (the
#     stand-in holds its own unloading);
#  2. held the same way, a key press closes the splash;
#  3. with no runtime, the message box is owned by the splash, which is gone shortly
#     after the box; the process exits with 0;
#  4. a launcher without the bitmap shows no splash and still shows its message box.
# usage: splash_window_test.sh LAUNCHER.EXE ORU-PACK STAND_IN_BINDING.DLL ARTIFACTS
set -u
launcher=$1 pack=$2 binding=$3 artifacts=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
[ -x "$pack" ] || fail "no oru-pack for this machine at $pack (build the linux target first)"
mkdir -p "$artifacts"

# Four quadrants: red, green / blue, yellow.
convert -size 200x150 xc:'#ff0000' xc:'#00ff00' +append \
  \( -size 200x150 xc:'#0000ff' xc:'#ffff00' +append \) -append -type TrueColor \
  BMP3:"$work/splash.bmp" || fail "cannot make the test bitmap"
"$pack" --launcher "$launcher" --main-class Main --splash "$work/splash.bmp" -o "$work/held.exe" \
  || fail "oru-pack --splash failed"
cp "$work/held.exe" "$work/nojre.exe"
cp "$work/held.exe" "$work/keyed.exe"
cp "$launcher" "$work/plain.exe"
printf 'jvmdll Z:%s\r\n' "$binding" | tee "$work/keyed.cfg" >"$work/held.cfg"
printf 'jre_order c\r\n' | tee "$work/nojre.cfg" >"$work/plain.cfg"

cat >"$work/run.sh" <<'INNER'
work=$1 artifacts=$2
splash_name='^Please wait \.\.\.$'
# Prints the id of the first window whose name matches, waiting up to a minute.
wait_for() {
  for _ in $(seq 1 120); do
    id=$(xdotool search --name "$1" 2>/dev/null | head -1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.5
  done
  return 1
}
# Waits up to $2 half-seconds for window $1 to go.
gone() {
  for _ in $(seq 1 "$2"); do
    xwininfo -id "$1" >/dev/null 2>&1 || return 0
    sleep 0.5
  done
  return 1
}
note() { echo "$*" >>"$work/notes"; }
pixel() {
  convert "$artifacts/splash-screen.png" -format \
    "%[fx:int(255*p{$1,$2}.r+.5)],%[fx:int(255*p{$1,$2}.g+.5)],%[fx:int(255*p{$1,$2}.b+.5)]" info:
}

# Dismisses the message box $1 and notes $2 when the splash $3 goes within $4
# half-seconds of the box (wine may take a while to tear the box down).
dismiss() {
  xdotool key --window "$1" Return
  gone "$1" 120
  [ -n "$3" ] && { gone "$3" "$4" && note "$2" || note "outlived-box"; }
}
owner_note() {
  owner=$(xprop -id "$1" WM_TRANSIENT_FOR 2>/dev/null | awk '{print $NF}')
  [ -n "$2" ] && [ "$((owner))" = "$(($2))" ] && note "$3" || note "owner $owner of $2"
}

# 1. The splash held up by the stand-in runtime, then its failure's message box.
ORU_BINDING_REPORT="Z:$work/report" ORU_STAND_IN_RELEASE="Z:$work/release" \
  ORU_STAND_IN_UNLOAD="Z:$work/unload" \
  WINEDEBUG=trace+msgbox wine "$work/held.exe" >/dev/null 2>"$work/held.err" &
pid=$!
if splash=$(wait_for "$splash_name"); then
  xwininfo -id "$splash" | awk -F: '/Absolute upper-left X|Absolute upper-left Y|Width|Height/ {
    gsub(/ /, "", $2); printf "%s ", $2 }' >"$work/geometry"
  import -window root "$artifacts/splash-screen.png"
  for at in "332 254" "692 254" "332 514" "692 514" "200 100"; do
    echo "$at $(pixel $at)" >>"$work/pixels"
  done
  # Input sent to the window itself: wine on Xvfb takes no synthesised (XTEST) input,
  # and it spends the first click on an inactive window on activating it.
  xdotool mousemove 420 300
  for button in 1 1 3; do
    xdotool click --window "$splash" $button
    sleep 1
  done
  xwininfo -id "$splash" >/dev/null 2>&1 && note "click-kept" || note "click-closed"
else
  note "no-splash-held"
fi
touch "$work/release"
if box=$(wait_for '^Error$'); then
  owner_note "$box" "$splash" "held-owned"
  # Closed by its timer 100 ms after the box; wine then waits two seconds for a window
  # manager (Xvfb has none) to withdraw the window, which the box had made managed.
  dismiss "$box" "held-closed-after-box" "$splash" 10
  kill -0 $pid 2>/dev/null && note "held-alive-after-splash"
else
  kill $pid
fi
touch "$work/unload"
wait $pid
note "held-exit $?"

# 2. A key press closes the splash.
ORU_STAND_IN_RELEASE="Z:$work/release-keyed" WINEDEBUG=-all wine "$work/keyed.exe" \
  >/dev/null 2>&1 &
pid=$!
if splash=$(wait_for "$splash_name"); then
  xdotool key --window "$splash" space
  gone "$splash" 20 && note "key-closed" || note "key-kept"
fi
touch "$work/release-keyed"
box=$(wait_for '^Error$') && xdotool key --window "$box" Return || kill $pid
wait $pid
note "keyed-exit $?"

# 3. No runtime: the message box owned by the splash.
WINEDEBUG=trace+msgbox wine "$work/nojre.exe" >/dev/null 2>"$work/nojre.err" &
pid=$!
splash=$(wait_for "$splash_name") || note "no-splash-nojre"
if box=$(wait_for '^Error$'); then
  owner_note "$box" "$splash" "owned"
  dismiss "$box" "closed-after-box" "$splash" 3
else
  kill $pid
fi
wait $pid
note "nojre-exit $?"

# 4. No bitmap: no splash, the message box all the same.
WINEDEBUG=trace+msgbox wine "$work/plain.exe" >/dev/null 2>"$work/plain.err" &
pid=$!
if box=$(wait_for '^Error$'); then
  xdotool search --name "$splash_name" >/dev/null 2>&1 && note "plain-splash" || note "plain-none"
  xdotool key --window "$box" Return
else
  kill $pid
fi
wait $pid
note "plain-exit $?"
INNER
# A wine server left by an earlier test still serves that test's display, whose screen
# size is not this one's: wait until it has gone.
wineserver -w 2>/dev/null || true
env -u JAVA_HOME -u JRE_HOME xvfb-run -a -s "-screen 0 1024x768x24" \
  bash "$work/run.sh" "$work" "$artifacts"

notes=$(cat "$work/notes" 2>/dev/null)
has() { grep -qx "$1" <<<"$notes" || fail "$2 (notes: $(tr '\n' ' ' <<<"$notes"))"; }
has "held-exit 0" "the held launch did not exit with 0"
[ "$(cat "$work/geometry" 2>/dev/null)" = "312 234 400 300 " ] \
  || fail "splash at x y w h = $(cat "$work/geometry" 2>/dev/null), not 312 234 400 300"
want="332 254 255,0,0
692 254 0,255,0
332 514 0,0,255
692 514 255,255,0"
[ "$(head -4 "$work/pixels")" = "$want" ] || fail "the screenshot shows $(cat "$work/pixels")"
[ "$(tail -1 "$work/pixels")" != "200 100 255,0,0" ] || fail "red outside the splash"
has "click-kept" "a click closed the splash"
has "held-owned" "the start failure's message box is not owned by the splash"
has "held-closed-after-box" "the splash stayed after its message box"
has "held-alive-after-splash" "the process had ended before the splash went"
has "key-closed" "a key press did not close the splash"
has "keyed-exit 0" "the launch closed by a key did not exit with 0"
[ "$(grep -c '^found ' "$work/report" 2>/dev/null)" = 11 ] \
  || fail "the stand-in runtime's lookups: $(cat "$work/report" 2>/dev/null)"
grep -q '^loaded ' "$work/report" || fail "the stand-in could not load the launcher"
grep -qF 'MSGBOX_OnInit L"Java Virtual Machine starts failed."' "$work/held.err" \
  || fail "the held launch did not end with its message"
has "owned" "the message box is not owned by the splash"
has "closed-after-box" "the splash outlived its message box by more than a second"
has "nojre-exit 0" "the launch without a runtime did not exit with 0"
grep -qF 'MSGBOX_OnInit L"Java Runtime Environment not found."' "$work/nojre.err" \
  || fail "no message \"Java Runtime Environment not found.\""
has "plain-none" "a launcher without the bitmap showed a splash"
has "plain-exit 0" "the launcher without the bitmap did not exit with 0"
grep -qF 'MSGBOX_OnInit L"Java Runtime Environment not found."' "$work/plain.err" \
  || fail "the launcher without the bitmap showed no message"
echo "ok: splash at 312,234 400x300 with its bitmap, clicks kept, key closed, owns the" \
  "message boxes and closes after them; eight natives bound; none without the bitmap"
