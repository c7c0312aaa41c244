#!/usr/bin/env bash
# Runs every libFuzzer target for the given number of seconds (default 10),
# starting from its seed corpus. Findings land in build/fuzz/artifacts/.
# Usage: scripts/fuzz.sh [seconds] [target...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-10}
shift || true

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in fuzz/targets/*.cpp; do targets+=("$(basename "$f" .cpp)"); done
fi

mkdir -p build/fuzz/artifacts
status=0
for name in "${targets[@]}"; do
  work=build/fuzz/corpus/$name
  mkdir -p "$work"
  seeds=()
  [ -d "fuzz/corpus/$name" ] && seeds=("fuzz/corpus/$name")
  dict=()
  [ -f "fuzz/dict/$name.dict" ] && dict=("-dict=fuzz/dict/$name.dict")
  echo "== $name (${seconds}s)"
  if ! build/fuzz/fuzz/fuzz_"$name" "$work" "${seeds[@]}" "${dict[@]}" \
       -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 \
       -artifact_prefix=build/fuzz/artifacts/"$name"- 2>build/fuzz/"$name".log; then
    echo "!! $name found a problem; see build/fuzz/$name.log and build/fuzz/artifacts/"
    tail -n 30 build/fuzz/"$name".log
    status=1
  else
    grep -E '^stat::number_of_executed_units' build/fuzz/"$name".log || true
  fi
done
exit $status
