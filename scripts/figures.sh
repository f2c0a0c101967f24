#!/usr/bin/env bash
# Writes docs/hardening.md from the figures that the last scripts/test.sh run
# printed (build/figures.txt): every number in it comes from the tests.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
figures=${1:-build/figures.txt}
[[ -s "$figures" ]] || { echo "no figures in $figures: run scripts/test.sh first" >&2; exit 1; }
python3 scripts/lib/render_figures.py "$figures" >docs/hardening.md
echo "wrote docs/hardening.md from $figures"
