#!/usr/bin/env bash
# Builds the sanitizer build and runs every test, then builds the libFuzzer
# targets and runs each of them for a few seconds from its seed corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset dev
cmake --build --preset dev
ctest --preset dev
bash scripts/fuzz.sh 3
