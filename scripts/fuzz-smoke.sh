#!/usr/bin/env bash
# Runs every reader's fuzz target for a short, bounded time, seeded with the
# real data files. Usage: scripts/fuzz-smoke.sh BUILD_DIR [SECONDS]
# The seeds are copied to a temporary folder: nothing is written into the
# shared data folder.
set -euo pipefail
build="${1:?usage: fuzz-smoke.sh BUILD_DIR [SECONDS]}"
build="$(cd "$build" && pwd)"
seconds="${2:-15}"
here="$(cd "$(dirname "$0")/.." && pwd)"
realdata="${QUORLIN_SHARED_DIR:-$here/../shared}/realdata"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

seed() {  # seed TARGET FOLDER...
  local dir="$work/$1"
  mkdir -p "$dir"
  shift
  for f in "$@"; do
    [ -d "$realdata/$f" ] || continue
    find "$realdata/$f" -type f -size -2M -exec cp {} "$dir/" \;
  done
  echo "$dir"
}

declare -A folders=(
  [gsas]="gsas"
  [cpi]="xy"
  [chi]="chi"
  [mca]="mca mca-canberra-binary"
  [xy]="xy chi"
  [jcpds]="jcpds"
  [project]=""
  [ucl]=""
)
status=0
for target in gsas cpi chi mca xy jcpds project ucl; do
  exe="$build/fuzz/fuzz_$target"
  if [ ! -x "$exe" ]; then
    echo "fuzz-smoke: $exe not built" >&2
    status=1
    continue
  fi
  corpus="$(seed "$target" ${folders[$target]})"
  if [ "$target" = project ]; then
    # A small valid project: cell type -1 and alpha given as text.
    printf '\x11\x20\x01\x00\x2d\x00\x00\x00\x00\x00\x00\x00QBAG\x01\x00\x02\x00\x00\x00\x08\x00CellType\x02\xff\xff\xff\xff\x0b\x00UnitCell(3)\x06\x02\x00\x00\x0060' >"$corpus/seed.prb"
  fi
  if [ "$target" = ucl ]; then
    # A library holding one cubic cell of a = 4 (group 0, slot 0).
    printf '\x11 \x01\x00\xe3\x00\x00\x00\x00\x00\x00\x00QBAG\x01\x00\x08\x00\x00\x00\x0e\x00CellNames(0,0)\x06\x02\x00\x00\x00Au\x13\x00CellSymmetries(0,0)\x02\x01\x00\x00\x00\x15\x00CellParameters(0,0,0)\x03\x00\x00\x80@\x15\x00CellParameters(0,0,1)\x03\x00\x00\x80@\x15\x00CellParameters(0,0,2)\x03\x00\x00\x80@\x15\x00CellParameters(0,0,3)\x03\x00\x00\xb4B\x15\x00CellParameters(0,0,4)\x03\x00\x00\xb4B\x15\x00CellParameters(0,0,5)\x03\x00\x00\xb4B' >"$corpus/seed.ucl"
  fi
  echo "fuzz-smoke: $target for ${seconds}s"
  if ! (cd "$work" && "$exe" -max_total_time="$seconds" -max_len=200000 -rss_limit_mb=2048 \
        -print_final_stats=0 "$corpus" >"$work/$target.log" 2>&1); then
    echo "fuzz-smoke: $target FAILED; last lines:" >&2
    tail -40 "$work/$target.log" >&2
    status=1
  fi
done
exit $status
