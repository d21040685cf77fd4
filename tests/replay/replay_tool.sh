#!/usr/bin/env bash
# Checks of corvane-replay, run by CTest (the first under a virtual X server):
#   replay_tool.sh deterministic|bad_input BINARY_DIR SOURCE_DIR
set -u
case_name=$1 bin=$2 src=$3
tool="$bin/corvane-replay"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# Runs the tool on a script that must be refused: status 2, one line on
# stderr that starts with the given text, and no frame written.
refused() {
  local script=$1 start=$2 out="$tmp/out-refused"
  rm -rf "$out"
  "$tool" "$script" "$out" >"$tmp/stdout" 2>"$tmp/stderr"
  local status=$?
  [ $status -eq 2 ] || fail "status $status, not 2, for $script: $(head -c 300 "$tmp/stderr")"
  [ "$(wc -l <"$tmp/stderr")" -eq 1 ] || fail "not one line on stderr for $script: $(head -c 300 "$tmp/stderr")"
  case "$(cat "$tmp/stderr")" in
    "corvane-replay: $start"*) ;;
    *) fail "for $script expected a line starting '$start', got: $(head -c 300 "$tmp/stderr")" ;;
  esac
  [ -z "$(ls -A "$out" 2>/dev/null)" ] || fail "frames were written for $script"
}

case $case_name in
deterministic)
  # Everything the game reacts to, twice; the frames must match byte for byte.
  cat >"$tmp/flight.txt" <<'SCRIPT'
frame start
pointer 440 330        # turn right and look down
key down space
ticks 6 4
key up space
press left
release left
ticks 3 4
frame fired
press right            # look back, which also fires
ticks 2 4
frame back
release right
SCRIPT
  for run in 1 2; do
    "$tool" "$tmp/flight.txt" "$tmp/run$run" >"$tmp/stdout" 2>"$tmp/stderr" \
      || fail "run $run failed: $(cat "$tmp/stderr")"
    grep -q "^Frames: 3 written to " "$tmp/stdout" || fail "run $run: $(cat "$tmp/stdout")"
  done
  [ "$(ls "$tmp/run1" | tr '\n' ' ')" = "back.png fired.png start.png " ] || fail "frames: $(ls "$tmp/run1")"
  for frame in start fired back; do
    cmp -s "$tmp/run1/$frame.png" "$tmp/run2/$frame.png" || fail "$frame.png differs between two runs"
  done
  cmp -s "$tmp/run1/start.png" "$tmp/run1/fired.png" && fail "the flight did not change the picture"
  cmp -s "$tmp/run1/fired.png" "$tmp/run1/back.png" && fail "looking back did not change the picture"
  ;;
bad_input)
  # Checked to the end before anything runs: valid frames above the fault
  # are not written either.
  n=0
  while IFS='|' read -r line start; do
    n=$((n + 1))
    printf 'frame first\ntick 1\n%s\nframe last\n' "$line" >"$tmp/bad$n.txt"
    refused "$tmp/bad$n.txt" "$tmp/bad$n.txt:3: $start"
  done <<'CASES'
fly 3|unknown command 'fly'
tick 1 2|'tick' takes 1 argument
tick x|tick length 'x' is not a number
ticks 100001 1|tick count '100001' is not a whole number
pointer 5 600|pointer y '600' is outside the window
frame ../up|frame name '../up' may hold only
CASES

  refused "$tmp/missing.txt" "cannot read the script '$tmp/missing.txt'"

  echo "frame a" >"$tmp/good.txt"
  touch "$tmp/file"
  "$tool" "$tmp/good.txt" "$tmp/file/frames" >/dev/null 2>"$tmp/stderr"
  status=$?
  [ $status -eq 2 ] || fail "status $status, not 2, for an output folder under a file"
  grep -q "^corvane-replay: cannot make the output folder '$tmp/file/frames': " "$tmp/stderr" \
    || fail "unwritable output folder: $(cat "$tmp/stderr")"

  head -c 65536 /dev/urandom >"$tmp/random.txt"
  refused "$tmp/random.txt" "$tmp/random.txt:"

  # 100 MB: thirteen million good lines, then a bad one.
  yes 'frame x' | head -n 13107200 >"$tmp/long.txt"
  echo 'frame x y' >>"$tmp/long.txt"
  refused "$tmp/long.txt" "$tmp/long.txt:13107201: 'frame' takes 1 argument"
  rm -f "$tmp/long.txt"
  head -c 104857600 /dev/zero | tr '\0' x >"$tmp/line.txt"
  refused "$tmp/line.txt" "$tmp/line.txt:1: the line is longer than 1000 characters"
  ;;
*)
  fail "unknown case $case_name"
  ;;
esac
echo "ok: $case_name"
