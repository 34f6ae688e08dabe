#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build for a bounded time each,
# seeded from fuzz/seeds/<target>/ when that folder exists.
set -euo pipefail
build=$1
seconds=${2:-60}
here=$(cd "$(dirname "$0")" && pwd)
status=0
shopt -s nullglob
for src in "$here"/*.cpp; do
  name=$(basename "$src" .cpp)
  exe="$build/$name"
  [ -x "$exe" ] || { echo "fuzz: $exe missing"; exit 1; }
  corpus="$build/corpus-$name"
  mkdir -p "$corpus"
  seeds=()
  [ -d "$here/seeds/$name" ] && seeds=("$here/seeds/$name")
  echo "fuzz: $name for ${seconds}s"
  if ! ASAN_OPTIONS=detect_leaks=1 "$exe" -max_total_time="$seconds" -rss_limit_mb=2048 \
       -malloc_limit_mb=1024 -timeout=10 "$corpus" "${seeds[@]}" >"$build/$name.log" 2>&1; then
    tail -n 60 "$build/$name.log"
    status=1
  else
    tail -n 2 "$build/$name.log"
  fi
done
exit $status
