#!/usr/bin/env bash
# Searches for inputs that crash or break the round trip of the file readers:
# builds the fuzz targets of tests/fuzz/ with clang, libFuzzer, AddressSanitizer
# and UndefinedBehaviorSanitizer in build-fuzz/, then runs each for the given
# number of seconds (60 by default). A crash input lands in
# tests/fuzz/crashes/<target>/: commit it, and the ordinary test run replays it
# from then on, with the committed corpus.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
targets=(settingsfile typedconfig worldfile keybindings blockfiles)

bash "$root/scripts/setup.sh"
sanitizers="-fsanitize=address,undefined -fno-sanitize-recover=undefined"
cmake -S "$root" -B "$root/build-fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DGLEBE_FUZZ=ON \
  -DCMAKE_CXX_FLAGS="$sanitizers -fsanitize=fuzzer-no-link" \
  -DCMAKE_EXE_LINKER_FLAGS="$sanitizers" >/dev/null
cmake --build "$root/build-fuzz" -j "$(nproc)" --target "${targets[@]/#/fuzz_}"

status=0
for target in "${targets[@]}"; do
  work="$root/build-fuzz/corpus/$target"
  crashes="$root/tests/fuzz/crashes/$target"
  mkdir -p "$work" "$crashes"
  echo "== $target"
  # libFuzzer saves an input that took over 10 s as a "slow unit" beside the
  # crashes, which a busy machine produces from ordinary inputs; only a
  # minute counts as slow here.
  if ! "$root/build-fuzz/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 \
      -report_slow_units=60 \
      -artifact_prefix="$crashes/" "$work" "$root/tests/fuzz/corpus/$target" \
      >"$root/build-fuzz/$target.log" 2>&1; then
    status=1
    grep -E 'ERROR|round trip|Test unit written' "$root/build-fuzz/$target.log" || tail -n 20 "$root/build-fuzz/$target.log"
  fi
  grep -E 'stat::number_of_executed_units|stat::peak_rss_mb' "$root/build-fuzz/$target.log" || true
done
exit "$status"
