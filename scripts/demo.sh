#!/usr/bin/env bash
# Builds the release binary and runs it on the bundled sample containers.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset release
cmake --build --preset release --target dat-tool
tool=build/release/apps/dat-tool/dat-tool

run() {
  echo "\$ dat-tool $*"
  "$tool" "$@"
  echo
}

run --version
run --help
