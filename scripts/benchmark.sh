#!/bin/sh
# Builds and measures the suite (a benchmark, not a test): prints a table of figures.
set -eu
cd "$(dirname "$0")/.."
scripts/prepare.sh
python3 scripts/benchmark.py
