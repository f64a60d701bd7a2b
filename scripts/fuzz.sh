#!/usr/bin/env bash
# Runs one fuzz target under libFuzzer for a while:
#   scripts/fuzz.sh capture|capture_file|stream|radio_file|http_request [SECONDS]
# Builds with clang into build-fuzz/, searches from a copy of the seed
# corpus (fuzz/corpus/TARGET stays as committed) and leaves any crashing
# input in build-fuzz/findings/TARGET/. Exits non-zero on a finding.
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:?usage: scripts/fuzz.sh capture|capture_file|stream|radio_file|http_request [SECONDS]}
seconds=${2:-60}
case "$target" in
  capture|capture_file|stream|radio_file|http_request) ;;
  *) echo "unknown fuzz target: $target" >&2; exit 2 ;;
esac
command -v clang++ >/dev/null || { echo "clang++ is needed: apt-get install clang" >&2; exit 2; }

build_dir=build-fuzz
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DPTPDIAG_FUZZ=ON -DPTPDIAG_BUILD_BENCH=OFF >/dev/null
cmake --build "$build_dir" --target "fuzz_$target" -j "$(nproc)"

work="$build_dir/corpus/$target"
findings="$build_dir/findings/$target"
mkdir -p "$work" "$findings"
cp -n fuzz/corpus/"$target"/* "$work"/ 2>/dev/null || true
"$build_dir/fuzz/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 \
  -artifact_prefix="$findings/" -max_len=65536 -timeout=10 -rss_limit_mb=2048 "$work"
