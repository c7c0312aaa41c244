#!/usr/bin/env bash
# Builds the release binary and runs it on the bundled sample containers.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset release
cmake --build --preset release --target dat-tool
tool="$PWD/build/release/apps/dat-tool/dat-tool"
samples="$PWD/samples"

run() {
  echo "\$ dat-tool $*"
  "$tool" "$@"
  echo
}

run --version
run --help
run meta "$samples/portal.dat"
run meta "$samples/cell.dat"
run list "$samples/portal.dat"
run list "$samples/cell.dat"
run info "$samples/portal.dat" 0x06000001
run info "$samples/cell.dat" 0xA9B4FFFF
run weenie "$samples/portal.dat" 0x0E000101
run weenie "$samples/portal.dat" 0x0E000102
run weenie "$samples/portal.dat" 0x0E000003
run weenie-find "$samples/portal.dat" 500
run weenie-find "$samples/portal.dat" 0x0C8F
run weenie-find "$samples/portal.dat" 12345
run landblock "$samples/cell.dat" 0xA9B40000
run landblock "$samples/cell.dat" 0x7D64FFFF
run landblock "$samples/cell.dat" 0x0101FFFF
run meta "$samples/portal.zra"
run list "$samples/portal.zra"
run info "$samples/portal.zra" 0x06000001 --namespace eor/portal

# extract writes into the working directory: use a scratch one.
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
cd "$out"
run extract "$samples/portal.dat" 0x06000001
run extract "$samples/portal.dat" 0x06000002
run extract "$samples/portal.dat" 0x0A000001
run extract "$samples/portal.dat" 0x01000001
run extract "$samples/portal.dat" 0x31000001
run spell-export "$samples/portal.dat" --schools war --categories 1,6 --fields name,power,base-range-mod,raw-components
run spell-export "$samples/portal.dat" --schools war,void --preset minimal -o out/spells.json
run export "$samples/portal.zra" 0x0A000001
run extract "$samples/portal.zra" 0x06000001 -o from_archive.jpg

# Pack the DAT's files into a new archive, then read it back.
mkdir files
for id in 01000001 06000001 0A000001 31000001; do
  "$tool" export "$samples/portal.dat" "0x$id" -o "files/$id.${id:0:2}" > /dev/null
done
run zra-pack files repacked.zra --compress
run list repacked.zra
echo "\$ ls -l   # in $out"
ls -l
