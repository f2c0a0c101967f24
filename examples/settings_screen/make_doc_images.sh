#!/usr/bin/env bash
# make_doc_images.sh SCREEN OUT_DIR: makes the two pictures of the settings
# screen in docs/images. A first run saves the High preset; two values of the
# file are then spoilt (a field of view out of range, a foliage level the
# game does not have) so that the load report's banner shows; the second run
# plays doc_images.script. Needs xvfb-run and python3.
set -euo pipefail
screen=$(realpath "$1") out=$(realpath -m "$2")
source=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
run() { LIBGL_ALWAYS_SOFTWARE=1 xvfb-run -a "$screen" --script "$1" --settings-dir "$work/settings"; }

mkdir -p "$work/settings" "$out"
printf 'preset High\napply\n' > "$work/seed.script"
run "$work/seed.script"
python3 - "$work/settings/GFXSettings.settings_screen.xml" <<'PY'
import sys
path = sys.argv[1]
text = open(path, "rb").read().decode("utf-16-le")
text = text.replace('Name="FieldOfView" Registered="True" Type="Integer" Value="90"',
                    'Name="FieldOfView" Registered="True" Type="Integer" Value="140"')
text = text.replace('Name="Foliage" Registered="True" Type="Enum" Value="High"',
                    'Name="Foliage" Registered="True" Type="Enum" Value="Epic"')
open(path, "wb").write(text.encode("utf-16-le"))
PY
(cd "$work" && run "$source/doc_images.script")
cp "$work/custom.png" "$out/settings-screen-custom.png"
cp "$work/confirm.png" "$out/settings-screen-confirm.png"
