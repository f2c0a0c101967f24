#!/usr/bin/env bash
# run_scripted.sh SCREEN QORVAZEL SOURCE_DIR WORK_DIR: the settings screen's
# CTest test. Plays menu.script under Xvfb with Mesa's software renderer in
# an empty settings folder, then checks the saved settings file with the
# qorvazel tool and the screenshots' size and content. Exits 77 (CTest: skipped)
# where Xvfb or python3 is missing.
set -u
screen=$1 tool=$2 source=$3 work=$4

for program in xvfb-run xauth python3; do
  if ! command -v "$program" >/dev/null 2>&1; then
    echo "settings_screen test skipped: $program is not installed (Debian: xvfb xauth python3)"
    exit 77
  fi
done

fail() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$work" && mkdir -p "$work/settings" && cd "$work" || fail "cannot make $work"
LIBGL_ALWAYS_SOFTWARE=1 xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$screen" --script "$source/menu.script" --screenshot final.png --settings-dir "$work/settings"
status=$?
[[ $status == 0 ]] || fail "settings_screen exited with $status"

file=settings/GFXSettings.settings_screen.xml
[[ -f $file ]] || fail "no settings file was saved"
expect_value() {
  local got
  got=$("$tool" get "$file" "$1") || fail "qorvazel get $1 failed"
  [[ $got == "$2" ]] || fail "$1 is \"$got\" in the file, not \"$2\""
}
expect_value Shadows High
expect_value TextureQuality High
expect_value Brightness 1.2
# The mode that ran out unconfirmed never reached the file; the confirmed one did.
"$tool" show "$file" | grep -q "2560x1440@144" || fail "the confirmed display mode is not in the file"

for png in custom.png confirm.png final.png; do
  python3 "$source/check_png.py" "$png" 960 600 || fail "$png"
done
echo "settings_screen: the script played, the file and the screenshots are as expected"
