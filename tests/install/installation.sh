#!/usr/bin/env bash
# Checks of the installation, run by CTest under a virtual X server:
#   installation.sh moved|package|reproducible BINARY_DIR SOURCE_DIR E2E_TEST
# The game is played through the end-to-end test binary (E2E_TEST), pointed
# at the installed program.
set -u
case_name=$1 bin=$2 src=$3 e2e=$4
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# Installs the build under prefix, staged in root: whatever the rules write,
# even to an absolute path, lands in root.
install_staged() {
  local root=$1 prefix=$2
  DESTDIR="$root" cmake --install "$bin" --prefix "$prefix" >"$tmp/install.log" 2>&1 \
    || fail "cmake --install failed: $(tail -5 "$tmp/install.log")"
}

case $case_name in
moved)
  install_staged "$tmp/root" /corvane
  [ "$(ls -A "$tmp/root")" = corvane ] || fail "the install wrote outside its prefix: $(ls -A "$tmp/root")"
  mv "$tmp/root/corvane" "$tmp/moved"
  mkdir "$tmp/elsewhere"
  # Started from a folder with nothing of the game's, the moved game finds
  # its data beside itself.
  CORVANE_E2E_GAME="$tmp/moved/bin/corvane" CORVANE_E2E_WORKDIR="$tmp/elsewhere" \
    "$e2e" --gtest_filter=GameEndToEnd.StartsWithSkyTerrainAndShip \
    || fail "the moved installation did not start with its sky, terrain and ship"
  # Without its data it runs on, as with any missing file.
  rm -rf "$tmp/moved/share/corvane"
  CORVANE_E2E_GAME="$tmp/moved/bin/corvane" "$e2e" --gtest_filter=GameEndToEnd.RunsWithEveryAssetMissing \
    || fail "the installation without its data folder did not run on"
  ;;
package)
  cpack -G DEB --config "$bin/CPackConfig.cmake" -B "$tmp/package" >"$tmp/cpack.log" 2>&1 \
    || fail "cpack failed: $(tail -20 "$tmp/cpack.log")"
  debs=("$tmp"/package/*.deb)
  [ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "not one package: $(ls "$tmp/package")"
  deb=${debs[0]}
  field() { dpkg-deb --field "$deb" "$1"; }

  # Named and versioned from the project, described in a line and a paragraph.
  version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$bin/CMakeCache.txt")
  arch=$(dpkg --print-architecture)
  [ "$(basename "$deb")" = "corvane_${version}_${arch}.deb" ] || fail "package file $(basename "$deb")"
  [ "$(field Package) $(field Version) $(field Architecture)" = "corvane $version $arch" ] \
    || fail "control: $(field Package) $(field Version) $(field Architecture)"
  [ "$(field Description | wc -l)" -ge 4 ] || fail "no long description: $(field Description)"

  # Exactly what the install rules install, under /usr, but with the
  # programs in /usr/games, Debian's place for a game's.
  install_staged "$tmp/root" /usr
  (cd "$tmp/root" && find . ! -type d | sed 's|^\./||; s|^usr/bin/|usr/games/|' | sort) >"$tmp/installed"
  dpkg-deb --contents "$deb" | awk '$6 !~ /\/$/ {sub(/^\.\//, "", $6); print $6}' | sort >"$tmp/packaged"
  diff "$tmp/installed" "$tmp/packaged" >"$tmp/diff" || fail "package and install differ: $(head -20 "$tmp/diff")"

  # Its data and icons are the committed assets, not something of the build.
  dpkg-deb -x "$deb" "$tmp/x"
  diff -r --exclude=icons "$src/assets" "$tmp/x/usr/share/corvane" >"$tmp/diff" \
    || fail "the data folder is not assets/: $(head -5 "$tmp/diff")"
  diff -r "$src/assets/icons" "$tmp/x/usr/share/icons" >"$tmp/diff" \
    || fail "the icons are not assets/icons/: $(head -5 "$tmp/diff")"

  # The desktop entry is valid and starts a program, and shows an icon, of the package.
  entry="$tmp/x/usr/share/applications/corvane.desktop"
  desktop-file-validate "$entry" >"$tmp/validate" 2>&1 || fail "desktop entry: $(cat "$tmp/validate")"
  [ ! -s "$tmp/validate" ] || fail "desktop entry: $(cat "$tmp/validate")"
  exec=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
  icon=$(sed -n 's/^Icon=//p' "$entry")
  [ -x "$tmp/x/usr/games/$exec" ] || fail "Exec=$exec is not a program of the package"
  ls "$tmp/x/usr/share/icons/hicolor"/*/apps/"$icon.png" >/dev/null 2>&1 || fail "Icon=$icon is not in the package"

  # Depends names the Debian package of every library a program links.
  depends=", $(field Depends | sed 's/ *([^)]*)//g; s/ *| */, /g'),"
  for program in "$tmp/x/usr/games"/*; do
    libraries=$(ldd "$program") || fail "ldd $program"
    for needed in $(objdump -p "$program" | awk '$1 == "NEEDED" {print $2}'); do
      path=$(awk -v lib="$needed" '$1 == lib {print $3}' <<<"$libraries")
      [ -n "$path" ] || fail "$(basename "$program") needs $needed, which is not found"
      # Merged /usr: a library may be known to dpkg with or without /usr.
      owner=$({ dpkg -S "$path" || dpkg -S "${path#/usr}" || dpkg -S "/usr$path"; } 2>/dev/null | head -1 | cut -d: -f1)
      [ -n "$owner" ] || fail "no package owns $path"
      case $depends in
        *", $owner,"*) ;;
        *) fail "Depends lacks $owner, which holds $needed for $(basename "$program"): $(field Depends)" ;;
      esac
    done
  done
  ;;
reproducible)
  # The package of this build, and that of a second build of a copy of the
  # source in another folder, made with another umask and time zone: the same
  # bytes. Only what the package needs is built the second time.
  cache() { sed -n "s/^$1:[A-Z]*=//p" "$bin/CMakeCache.txt"; }
  if [ "$(cache CORVANE_SANITIZE)" = ON ] || [ "$(cache CORVANE_FUZZ)" = ON ]; then
    echo "skipped: a sanitizer build is not what is packaged"
    exit 77
  fi
  # The second build lies where this one lies in its source folder (the
  # replay tool holds the way from its folder to the checkout's assets).
  layout=$(realpath -m --relative-to="$src" "$bin")
  case $layout in
    ..|../*|/*) echo "skipped: the build folder is not inside the source folder"; exit 77 ;;
  esac
  # Every member is dated the last commit's date: from git here, or from
  # packaging/source-date in a tarball; the copy, without git, gets the file.
  date=$(sed -n '1{/^[0-9][0-9]*$/p}' "$src/packaging/source-date")
  if [ -z "$date" ] && [ -e "$src/.git" ]; then date=$(git -C "$src" log -1 --format=%ct); fi
  if [ -z "${SOURCE_DATE_EPOCH:-}" ] && [ -z "$date" ]; then
    export SOURCE_DATE_EPOCH=1800000000  # neither: any fixed date
  fi
  [ -z "${SOURCE_DATE_EPOCH:-}" ] || date=$SOURCE_DATE_EPOCH
  cpack -G DEB --config "$bin/CPackConfig.cmake" -B "$tmp/first" >"$tmp/cpack.log" 2>&1 \
    || fail "cpack failed: $(tail -20 "$tmp/cpack.log")"
  first=("$tmp"/first/*.deb)
  stamps=$(dpkg-deb --fsys-tarfile "${first[0]}" | TZ=UTC tar -tv --full-time | awk '{print $4 " " $5}' | sort -u)
  [ "$stamps" = "$(TZ=UTC date -d "@$date" '+%Y-%m-%d %H:%M:%S')" ] \
    || fail "the package's files are not all dated the commit's date $date: $(head -3 <<<"$stamps")"
  copy="$tmp/elsewhere/corvane-copy"
  mkdir -p "$copy"
  (
    umask 077
    export TZ=Pacific/Kiritimati
    # The source without its history and builds, as a clone or tarball holds it.
    tar -C "$src" --exclude=./.git --exclude='./build*' --exclude=./dist --exclude="./$layout" -cf - . |
      tar -C "$copy" --no-same-permissions -xf - || exit 1
    echo "$date" >"$copy/packaging/source-date"
    cmake -S "$copy" -B "$copy/$layout" -DCORVANE_TESTS=OFF -DCMAKE_BUILD_TYPE="$(cache CMAKE_BUILD_TYPE)" \
      -DCMAKE_C_COMPILER="$(cache CMAKE_C_COMPILER)" -DCMAKE_CXX_COMPILER="$(cache CMAKE_CXX_COMPILER)" \
      -DCMAKE_C_FLAGS="$(cache CMAKE_C_FLAGS)" -DCMAKE_CXX_FLAGS="$(cache CMAKE_CXX_FLAGS)" &&
      cmake --build "$copy/$layout" -j 2 &&
      cpack -G DEB --config "$copy/$layout/CPackConfig.cmake" -B "$tmp/second"
  ) >"$tmp/second.log" 2>&1 || fail "the second build failed: $(tail -20 "$tmp/second.log")"
  second=("$tmp"/second/*.deb)
  if ! cmp "${first[0]}" "${second[0]}"; then
    if command -v diffoscope >/dev/null 2>&1; then
      diffoscope --no-progress --text - "${first[0]}" "${second[0]}" | head -n 100
    else
      dpkg-deb -x "${first[0]}" "$tmp/x1" && dpkg-deb -x "${second[0]}" "$tmp/x2"
      diff <(dpkg-deb --contents "${first[0]}") <(dpkg-deb --contents "${second[0]}") | head -20
      diff -r "$tmp/x1" "$tmp/x2" | head -20
    fi
    fail "the package built in $copy/$layout differs from the one built in $bin"
  fi
  ;;
*)
  fail "unknown case $case_name"
  ;;
esac
echo "ok: $case_name"
