#!/bin/sh
# Builds the product folder and shows what the suite does, under Wine on a virtual
# display (no internet needed).
set -eu
cd "$(dirname "$0")/.."
scripts/prepare.sh
python3 scripts/demo.py
