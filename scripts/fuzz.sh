#!/usr/bin/env bash
# Builds the libFuzzer targets (the "fuzz" preset) and runs every one of them
# from its committed seed corpus, under AddressSanitizer and
# UndefinedBehaviorSanitizer. A finding stops the run with a non-zero exit and
# leaves the input that caused it in build-fuzz/findings/.
#
#   scripts/fuzz.sh                 # 4 s per target (run-tests does this)
#   scripts/fuzz.sh --seconds 60    # a minute per target
#   scripts/fuzz.sh --runs 1500000  # 1.5 M inputs per target: the long run,
#                                   # 10 M executions over the seven targets
set -euo pipefail
cd "$(dirname "$0")/.."
limit=(-max_total_time=4)
case "${1:-}" in
  --seconds) limit=(-max_total_time="$2") ;;
  --runs) limit=(-runs="$2") ;;
  "") ;;
  *) echo "usage: $0 [--seconds N | --runs N]" >&2; exit 2 ;;
esac

# target, longest input; the simulator's text targets take its keywords.
targets=(lan_reply:2048 usb_reply:2048 setup_blocks:1536 dispatch:2048 sim_parser:512 sim_lan:1024
         sim_usb:1024)

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"$(nproc)" --target qxfuzz_all >/dev/null
mkdir -p build-fuzz/findings
total=0
for entry in "${targets[@]}"; do
  target=${entry%%:*} maxlen=${entry##*:}
  dict=()
  [[ $target == sim_* && $target != sim_usb ]] && dict=(-dict=fuzz/commands.dict)
  mkdir -p "build-fuzz/corpus/$target"
  log=$(./build-fuzz/fuzz/qx_"$target"_fuzz "${limit[@]}" -max_len="$maxlen" -print_final_stats=1 \
          -artifact_prefix="build-fuzz/findings/$target-" "${dict[@]}" \
          "build-fuzz/corpus/$target" "fuzz/corpus/$target" 2>&1) || {
    echo "$log" | tail -n 40
    echo "fuzz: $target found a failure; the input is in build-fuzz/findings/" >&2
    exit 1
  }
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' <<<"$log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' <<<"$log")
  total=$((total + runs))
  printf '%-13s %10s inputs  %7s/s\n' "$target" "$runs" "$rate"
done
echo "fuzz: $total inputs over ${#targets[@]} targets, no finding"
