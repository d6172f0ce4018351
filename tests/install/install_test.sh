#!/usr/bin/env bash
# The Debian package as a user gets it: built by CPack, unpacked into a scratch root,
# checked (files in their places, desktop entry valid, dependencies computed), then its
# programs run from there: tesmarin-list renames and undoes, and the window program,
# started on a virtual display from a read-only installation, registers a file named on
# its command line, renames it and keeps its settings in the user's config folder.
# Usage: install_test.sh BUILD_DIR SOURCE_DIR. Exit 77 (skipped) without the tools.
set -euo pipefail
build=$1
source=$2

for tool in cpack dpkg-deb dpkg-shlibdeps desktop-file-validate; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/tesmarin-install-XXXXXX")
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  mountpoint -q "$work/ro" 2>/dev/null && umount -l "$work/ro"
  rm -rf "$work"
}
trap cleanup EXIT
shot=${TMPDIR:-/tmp}/tesmarin-install-failure.png
fail() {
  # With the window program running, a picture of the screen shows what it was showing.
  [ -n "${DISPLAY:-}" ] && import -window root "$shot" 2>/dev/null && echo "screen: $shot" >&2
  echo "FAIL: $*" >&2
  exit 1
}

# The package.
(cd "$build" && timeout 300 cpack -G DEB -B "$work/pkg" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/pkg/*.deb)
dpkg-deb -x "$deb" "$work/root"
root=$work/root
for f in usr/bin/tesmarin usr/bin/tesmarin-list usr/lib/tesmarin/Tesmarin usr/lib/tesmarin/tesmarin-list \
         usr/lib/tesmarin/libplatform.so usr/lib/tesmarin/Zq7Com.so usr/lib/tesmarin/Zq7File.so \
         usr/lib/tesmarin/Readme.txt usr/share/applications/tesmarin.desktop \
         usr/share/icons/hicolor/scalable/apps/tesmarin.svg usr/share/icons/hicolor/256x256/apps/tesmarin.png \
         usr/share/man/man1/tesmarin-list.1.gz usr/share/doc/tesmarin/copyright; do
  [ -e "$root/$f" ] || fail "$f is not installed"
done
if [ -e "$build/bin/tesmarin-view" ]; then
  [ -e "$root/usr/bin/tesmarin-view" ] || fail "tesmarin-view is built but not installed"
fi
desktop-file-validate "$root/usr/share/applications/tesmarin.desktop" || fail "desktop entry"
grep -q '^MimeType=.*image/jpeg;' "$root/usr/share/applications/tesmarin.desktop" || fail "no image types"
depends=$(dpkg-deb -f "$deb" Depends)
for dep in libqt6widgets6 libjpeg62-turbo libpng16-16 libtiff6 fonts-ipafont-gothic; do
  [[ $depends == *"$dep"* ]] || fail "Depends lacks $dep: $depends"
done
zcat "$root/usr/share/man/man1/tesmarin-list.1.gz" >"$work/manual"
grep -qF "tesmarin-list \\-\\-undo" "$work/manual" || fail "manual page"

# The command-line companion, through its link in bin.
mkdir -p "$work/photos" "$work/state" "$work/config"
export XDG_STATE_HOME=$work/state XDG_CONFIG_HOME=$work/config HOME=$work
cp "$source/tests/data/app/photo.jpg" "$work/photos/DSC0001.JPG"
out=$(timeout 60 "$root/usr/bin/tesmarin-list" --rename --dpi "$work/photos/DSC0001.JPG")
[ "$out" = "$work/photos/DSC0001.JPG	$work/photos/DSC0001_72dpi.jpg" ] || fail "tesmarin-list printed: $out"
timeout 60 "$root/usr/bin/tesmarin-list" --undo >/dev/null || fail "undo"
[ -f "$work/photos/DSC0001.JPG" ] || fail "undo did not give the old name back"

# The window program from a read-only installation, on a virtual display.
installed=$root
if [ "$(id -u)" -eq 0 ]; then
  mkdir "$work/ro"
  if mount --bind "$root" "$work/ro" && mount -o remount,ro,bind "$work/ro"; then installed=$work/ro; fi
else
  chmod -R a-w "$root/usr/lib/tesmarin"
fi
touch "$installed/usr/lib/tesmarin/probe" 2>/dev/null && fail "the installed folder is writable"
for tool in Xvfb openbox xdotool; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed; the window program was not run"; exit 77; }
done
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$work/display")
[ "$DISPLAY" != ":" ] || fail "Xvfb did not start"
openbox >/dev/null 2>&1 &
pids+=($!)
cp "$source/tests/data/app/photo.jpg" "$work/photos/photo.JPEG"
unset QT_QPA_PLATFORM
"$installed/usr/bin/tesmarin" "$work/photos/photo.JPEG" >"$work/program.log" 2>&1 &
program=$!
pids+=($program)
# Waits until n visible windows have the title, then gives the newest the keyboard.
await() {
  local title=$1 n=$2 ids
  for _ in $(seq 150); do
    ids=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null || true)
    if [ "$(printf '%s\n' "$ids" | grep -c .)" -ge "$n" ]; then
      xdotool windowactivate --sync "$(printf '%s\n' "$ids" | tail -1)" 2>/dev/null || true
      sleep 0.5
      return 0
    fi
    sleep 0.2
  done
  fail "no window titled $title"
}
key() { xdotool key --clearmodifiers "$@"; }
await Tesmarin 1
# The registration of the file named on the command line ends with its preview.
for _ in $(seq 100); do xdotool search --onlyvisible --name '^処理中' >/dev/null 2>&1 || break; sleep 0.2; done
sleep 1
key F8; await 確認 1; key Return          # リネーム開始, then はい
await Tesmarin 2; key Return              # the report's OK
await 確認 1; key Return                  # はい to clearing the list
[ -f "$work/photos/photo.jpg" ] || fail "the window program did not rename the file: $(ls "$work/photos")"
await Tesmarin 1
key alt+F4
settings=$work/config/tesmarin/Tesmarin.ini
# Should a message ask for an answer at exit (a settings file that cannot be written), it
# is answered with Return; the program must end either way.
for i in $(seq 300); do
  kill -0 "$program" 2>/dev/null || break
  if [ $((i % 50)) -eq 0 ]; then
    shown=$(xdotool search --onlyvisible --name '^Tesmarin$' 2>/dev/null | tail -1 || true)
    [ -n "$shown" ] && xdotool windowactivate --sync "$shown" 2>/dev/null && key Return
  fi
  sleep 0.2
done
kill -0 "$program" 2>/dev/null && fail "the program did not end when its window was closed"
[ -f "$settings" ] || fail "the installed program kept no settings in \$XDG_CONFIG_HOME though its folder is read-only"
grep -q '^M_TOP=' "$settings" || fail "settings without the window position"
echo "1 passed, 0 failed"
