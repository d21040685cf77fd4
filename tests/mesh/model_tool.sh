#!/usr/bin/env bash
# Checks of the model tools, run by CTest under a virtual X server:
#   model_tool.sh ship|garbage|contained|assets BINARY_DIR SOURCE_DIR
set -u
case_name=$1 bin=$2 src=$3
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

case $case_name in
ship)
  # The artist's check of the committed ship, from the game's working directory.
  cd "$src/assets" || fail "no assets folder"
  "$bin/corvane-model" Ship2.dae --png "$tmp/ship.png" --animation 0 --time 500 >"$tmp/out" 2>"$tmp/err" \
    || fail "corvane-model failed: $(cat "$tmp/err")"
  printf "Loaded texture 'ship.png'\nNumber of animations: 1 \n\n" >"$tmp/expected"
  cmp -s "$tmp/expected" <(head -c "$(wc -c <"$tmp/expected")" "$tmp/out") \
    || fail "loader lines differ: $(head -3 "$tmp/out")"
  bones=$(sed -n 's/^Bones: //p' "$tmp/out")
  [ "${bones:-0}" -ge 3 ] || fail "fewer than three bones"
  [ -s "$tmp/ship.png" ] || fail "no picture written"
  ;;
garbage)
  head -c 3000 /dev/urandom >"$tmp/garbage.dae"
  printf 'v 1 2\nf 1 2 3 4 99\nvt\nl -7\n' >"$tmp/broken.obj"
  for model in "$tmp/garbage.dae" "$tmp/missing.obj" "$tmp/broken.obj"; do
    "$bin/corvane-model" "$model" --png "$tmp/x.png" >"$tmp/out" 2>"$tmp/err"
    status=$?
    [ $status -lt 128 ] || fail "corvane-model crashed on $model (status $status)"
    if [ $status -ne 0 ]; then
      grep -q "^Error parsing '$model': '" "$tmp/out" || fail "no loader error line for $model: $(cat "$tmp/out")"
    fi
  done
  "$bin/corvane-model" "$tmp/missing.obj" >/dev/null 2>&1 && fail "a missing model exited with success"
  ;;
contained)
  # Files that crash Assimp itself: the tool reports each with the loader's
  # line and its own sentence, and exits 1.
  found=0
  for model in "$src"/tests/data/malformed/models/importer-*; do
    [ -f "$model" ] || continue
    found=1
    "$bin/corvane-model" "$model" --png "$tmp/x.png" >"$tmp/out" 2>"$tmp/err"
    status=$?
    [ $status -eq 1 ] || fail "corvane-model exited $status on $model"
    grep -q "^Error parsing '$model': 'the importer crashed (signal [0-9]*, .*)'\$" "$tmp/out" \
      || fail "no contained-crash line for $model: $(cat "$tmp/out")"
    grep -q "could not read" "$tmp/err" || fail "no explanation for $model: $(cat "$tmp/err")"
  done
  [ $found -eq 1 ] || fail "no importer-* files in tests/data/malformed/models"
  ;;
assets)
  # The generator writes the committed ship byte for byte.
  "$bin/corvane-assets" "$tmp" || fail "corvane-assets failed"
  for file in Ship2.dae ship.png; do
    cmp -s "$tmp/$file" "$src/assets/$file" || fail "$file differs from the committed one; regenerate assets/"
  done
  ;;
*)
  fail "unknown case $case_name"
  ;;
esac
echo "ok: $case_name"
