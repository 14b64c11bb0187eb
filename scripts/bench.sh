#!/usr/bin/env bash
# Every speed figure of the README in one run on this machine: the Google
# Benchmark programs (plot redraws, drags, readers), then `quorlin-cli
# convert` against xylib's `xyconv -t text` on the same 500 000-point x-y file,
# CPU seconds (user + system) of five interleaved runs each.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build-bench}

cmake -S . -B "$build" -G Ninja -DQUORLIN_BUILD_BENCH=ON -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target quorlin_bench quorlin-cli >/dev/null

QT_QPA_PLATFORM=offscreen "$build/bench/quorlin_bench" --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true "$@" | grep -E '^Benchmark|_median'

command -v xyconv >/dev/null || { echo "xyconv not installed (Debian libxy-bin): no reader comparison"; exit 0; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
awk 'BEGIN { for (i = 0; i < 500000; ++i) { x = 5 + 85 * i / 499999;
             printf "%.6f %.3f\n", x, 200 * exp(-x / 40) + 3000 * sin(x * 0.7) ^ 40 } }' >"$tmp/in.xy"
cpu() {  # CPU seconds of one run of the command
  local me=$BASHPID t0 t1
  t0=$(awk '{ print $14 + $15 + $16 + $17 }' "/proc/$me/stat")
  "$@" >/dev/null 2>&1
  t1=$(awk '{ print $14 + $15 + $16 + $17 }' "/proc/$me/stat")
  awk -v a="$t0" -v b="$t1" -v hz="$(getconf CLK_TCK)" 'BEGIN { printf "%.3f\n", (b - a) / hz }'
}
xy=() ours=()
for _ in 1 2 3 4 5; do
  xy+=("$(cpu xyconv -t text "$tmp/in.xy" "$tmp/xyconv.out")")
  ours+=("$(cpu "$build/cli/quorlin-cli" convert "$tmp/in.xy" -o "$tmp/quorlin.xy")")
done
median() { printf '%s\n' "$@" | sort -n | sed -n 3p; }
echo "convert 500 000 points, CPU s: xyconv -t text $(median "${xy[@]}") (${xy[*]})"
echo "convert 500 000 points, CPU s: quorlin-cli convert $(median "${ours[@]}") (${ours[*]})"
