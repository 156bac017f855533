#!/usr/bin/env bash
# The whole program as a user has it, on a virtual display of its own: quorbit installed in
# a private folder (the program keeps options.ini and its thumbnail beside itself), two
# clips added through Qt's own file dialog, converted to MP3, then to MPEG, the end messages
# answered, the window closed by its close button. Then: four outputs, the output folder in
# options.ini, and the scrambled encoder package back in the system folder.
#
#   smoke.sh BIN_DIR FFMPEG SCREENSHOT LOG
#     BIN_DIR     the build's program folder: quorbit, norcel, norcel.dll
#     FFMPEG      the encoder that makes the clips and takes the screenshot
#     SCREENSHOT  where the picture of the window mid-batch goes (PNG)
#     LOG         what the script did, step by step
#
# Every wait has a deadline; whatever the script started is ended on the way out.
set -eEuo pipefail

[ $# -eq 4 ] || { echo "usage: $0 BIN_DIR FFMPEG SCREENSHOT LOG" >&2; exit 2; }
here=$(cd "$(dirname "$0")" && pwd)
bin=$(cd "$1" 2> /dev/null && pwd) || { echo "smoke: FAILED: no program folder $1" >&2; exit 1; }
ffmpeg=$2
screenshot=$3
log=$4

mkdir -p "$(dirname "$log")" "$(dirname "$screenshot")" && : > "$log" ||
  { echo "smoke: FAILED: cannot write $log and $screenshot" >&2; exit 1; }
work=$(mktemp -d "${TMPDIR:-/tmp}/quorbit-smoke-XXXXXX")
xvfb_pid=
quorbit_pid=

say() { printf '%s %s\n' "$(date +%T.%3N)" "$*" >> "$log"; }
fail() {
  trap - ERR
  say "FAILED: $*"
  echo "smoke: FAILED: $*" >&2
  echo "--- log ($log)" >&2
  cat "$log" >&2
  if [ -s "$work/quorbit.out" ]; then
    echo "--- quorbit's output" >&2
    cat "$work/quorbit.out" >&2
  fi
  exit 1
}

# The processes quorbit started that carry our private system folder: the runners and the
# encoders.
ours() {
  local file pid
  for file in $(grep -lzxF "QUORBIT_SYSTEM_DIR=$work/system" /proc/[0-9]*/environ 2>/dev/null ||
    true); do
    pid=${file#/proc/}
    pid=${pid%/environ}
    [ "$pid" = "$$" ] || [ "$pid" = "$quorbit_pid" ] || echo "$pid"
  done
  return 0
}

cleanup() {
  local status=$?
  trap - ERR INT TERM
  set +e
  [ -n "$quorbit_pid" ] && kill -9 "$quorbit_pid" 2>/dev/null
  for pid in $(ours); do kill -9 "$pid" 2>/dev/null; done
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  # The window may have left its thumbnail, the system folder its windows: all ours.
  rm -rf "$work"
  exit "$status"
}
trap cleanup EXIT
trap 'fail "interrupted"' INT TERM
trap 'fail "line $LINENO: a command failed"' ERR

# wait_for SECONDS WHAT COMMAND...: runs COMMAND every 50 ms until it succeeds.
wait_for() {
  local seconds=$1 what=$2
  shift 2
  local deadline=$((SECONDS + seconds))
  until "$@"; do
    [ "$SECONDS" -ge "$deadline" ] && fail "timed out after ${seconds} s waiting for $what"
    sleep 0.05
  done
  say "seen: $what"
}

for tool in Xvfb xdotool "$ffmpeg"; do
  command -v "$tool" > /dev/null || fail "$tool is not installed"
done
for f in quorbit norcel norcel.dll; do
  [ -f "$bin/$f" ] || fail "$bin/$f is missing: build first"
done

# ---- The installation and the user's folders --------------------------------------------
app=$work/app out=$work/out media=$work/media
mkdir -p "$app" "$out" "$media" "$work/home" "$work/config" "$work/data" "$work/state" \
  "$work/cache" "$work/runtime"
chmod 700 "$work/runtime"
cp "$bin/quorbit" "$bin/norcel" "$bin/norcel.dll" "$app/"
# The output folder the program reads from its options.ini beside it; blanks around '='
# show whether the program wrote the file back at close.
printf '[General]\nDirectory = %s\n' "$out" > "$app/options.ini"
say "installed in $app, output folder $out"

"$ffmpeg" -nostdin -v error -y -f lavfi -i testsrc=size=160x120:rate=25:duration=3 \
  -f lavfi -i sine=frequency=440:sample_rate=22050:duration=3 \
  -c:v flv -shortest -c:a mp3 -ar 22050 "$media/first.flv" || fail "cannot make first.flv"
# Long enough that its MPEG conversion lasts a few seconds: the screenshot is taken then.
"$ffmpeg" -nostdin -v error -y -f lavfi -i testsrc=size=320x240:rate=25:duration=120 \
  -f lavfi -i sine=frequency=660:sample_rate=22050:duration=120 \
  -c:v flv -shortest -c:a mp3 -ar 22050 "$media/second.flv" || fail "cannot make second.flv"
say "made $media/first.flv (3 s) and $media/second.flv (120 s)"

# ---- The display --------------------------------------------------------------------------
exec 5> "$work/display"
Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp > "$work/xvfb.out" 2>&1 &
xvfb_pid=$!
exec 5>&-
display_ready() { [ -s "$work/display" ]; }
wait_for 20 "the virtual display" display_ready
export DISPLAY=":$(tr -dc 0-9 < "$work/display")"
say "Xvfb (pid $xvfb_pid) on $DISPLAY"

# ---- quorbit ------------------------------------------------------------------------------
env -i PATH="$PATH" LANG=C.UTF-8 DISPLAY="$DISPLAY" HOME="$work/home" \
  XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_STATE_HOME="$work/state" \
  XDG_CACHE_HOME="$work/cache" XDG_RUNTIME_DIR="$work/runtime" \
  QUORBIT_SYSTEM_DIR="$work/system" QT_QPA_PLATFORM=xcb \
  ${ASAN_OPTIONS:+ASAN_OPTIONS="$ASAN_OPTIONS"} ${UBSAN_OPTIONS:+UBSAN_OPTIONS="$UBSAN_OPTIONS"} \
  LSAN_OPTIONS="suppressions=$here/lsan.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}" \
  "$app/quorbit" > "$work/quorbit.out" 2>&1 &
quorbit_pid=$!
say "started $app/quorbit (pid $quorbit_pid)"

# find_window TITLE: the id of the visible window with exactly this title, in $found.
found=
find_window() {
  found=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1)
  [ -n "$found" ]
}
no_window() { ! find_window "$1"; }
alive() { kill -0 "$quorbit_pid" 2>/dev/null || fail "quorbit ended on its own"; }
window_shown() { alive && find_window Vexlomar; }
wait_for 30 "the main window" window_shown
main=$found
eval "$(xdotool getwindowgeometry --shell "$main")"
left=$X top=$Y
[ "$WIDTH" = 712 ] && [ "$HEIGHT" = 527 ] || fail "the window is ${WIDTH}x$HEIGHT, not 712x527"
say "main window $main at $left,$top"
encoder_unpacked() { cmp -s "$work/system/norcel.dll" "$(command -v "$ffmpeg")"; }
wait_for 30 "the encoder unpacked into the system folder" encoder_unpacked

# click X Y: a left click at the window's point (x, y); the title bar is the top 25 rows,
# the controls sit on the panel below it at the places main_window.cpp gives them.
click() {
  xdotool mousemove $((left + $1)) $((top + $2)) click 1
  say "clicked at $1,$2"
}
panel_click() { click "$1" $(($2 + 25)); }

# answer TITLE: presses Return in the message box of that title and waits for it to go.
answer() {
  xdotool windowfocus --sync "$found" key --clearmodifiers Return
  say "answered the box \"$1\""
  wait_for 10 "the box \"$1\" closed" no_window "$1"
}

# add PATH: Add..., the path typed into the dialog's file name, Enter; then waits for the
# probe: its runner starts as the dialog closes and ends once the file is listed or refused.
no_runner() { [ -z "$(ours)" ]; }
add() {
  panel_click $((568 + 52)) $((64 + 12))
  wait_for 10 "the file dialog" find_window "Add Source Video"
  local dialog=$found
  xdotool windowfocus --sync "$dialog"
  xdotool type --delay 5 "$1"
  xdotool key --clearmodifiers Return
  say "typed $1 and Enter"
  wait_for 10 "the file dialog closed" no_window "Add Source Video"
  wait_for 30 "the probe of $(basename "$1") over" no_runner
  find_window Warning && fail "the window refused $1: a warning is shown"
  return 0
}

# convert: Convert FLV files, then the end-of-batch box; calls $1 while waiting, if given.
batch_over() { alive && find_window Message; }
refused() { find_window Warning && fail "the batch ended with a warning"; return 0; }
convert() {
  panel_click $((64 + 88)) $((376 + 16))
  [ -n "${1:-}" ] && "$1"
  until batch_over; do
    refused
    [ "$SECONDS" -ge "$batch_deadline" ] && fail "the batch did not end within 180 s"
    sleep 0.05
  done
  say "seen: the end-of-batch box"
  answer Message
}

# The folder opening at the end of a batch would start a file manager: unticked.
panel_click $((64 + 8)) $((448 + 9))

add "$media/first.flv"
add "$media/second.flv"

# MP3.
panel_click $((400 + 8)) $((312 + 9))
batch_deadline=$((SECONDS + 180))
convert
for f in first second; do [ -s "$out/$f.mp3" ] || fail "no $out/$f.mp3 after the MP3 batch"; done
say "MP3 outputs: $(stat -c '%n %s' "$out"/*.mp3 | tr '\n' ' ')"

# MPEG, with the picture taken while the second clip converts: the first row done, the
# second one showing its progress.
shoot_mid_batch() {
  second_under_way() { [ -s "$out/first.mpg" ] && [ "$(stat -c %s "$out/second.mpg" 2>/dev/null || echo 0)" -gt 1000000 ]; }
  wait_for 120 "first.mpg written and second.mpg under way" second_under_way
  batch_over && fail "the batch ended before the screenshot could be taken"
  xdotool mousemove 0 0  # the pointer out of the picture
  "$ffmpeg" -nostdin -v error -y -f x11grab -video_size 712x527 -i "$DISPLAY+$left,$top" \
    -frames:v 1 "$screenshot" || fail "the screenshot could not be taken"
  batch_over && fail "the batch ended while the screenshot was taken"
  say "screenshot mid-batch: $screenshot"
}
panel_click $((240 + 8)) $((312 + 9))
batch_deadline=$((SECONDS + 180))
convert shoot_mid_batch
for f in first second; do [ -s "$out/$f.mpg" ] || fail "no $out/$f.mpg after the MPEG batch"; done
say "MPEG outputs: $(stat -c '%n %s' "$out"/*.mpg | tr '\n' ' ')"

# ---- Closing ------------------------------------------------------------------------------
wait_for 20 "the last runner gone" no_runner
click $((712 - 3 - 21 + 10)) 12  # the close button at the title bar's right end
quorbit_ended() { ! kill -0 "$quorbit_pid" 2>/dev/null; }
wait_for 20 "quorbit ended" quorbit_ended
status=0
wait "$quorbit_pid" || status=$?
quorbit_pid=
[ "$status" = 0 ] || fail "quorbit exited with status $status"

grep -qxF "Directory=$out" "$app/options.ini" ||
  fail "options.ini does not hold the output folder: $(cat "$app/options.ini")"
cmp -s "$work/system/norcel.dll" "$bin/norcel.dll" ||
  fail "the system folder's encoder is not the package again"
cmp -s "$work/system/norcel.dll" "$(command -v "$ffmpeg")" &&
  fail "the runnable encoder outlived the program"
[ -s "$screenshot" ] || fail "no screenshot at $screenshot"
say "passed: 4 outputs, options.ini, the package back, the screenshot"
echo "smoke: passed (log: $log, screenshot: $screenshot)"
