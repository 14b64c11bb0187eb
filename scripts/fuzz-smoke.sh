#!/usr/bin/env bash
# Runs every fuzz target for a short, bounded time, seeded with the real data
# files. Usage: scripts/fuzz-smoke.sh BUILD_DIR [SECONDS]
# The targets are built with -fno-sanitize-recover=all: any sanitizer report
# (UBSan's "runtime error" too) ends the run with a failure.
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
  [datafile]=""
  [project_file]=""
  [cif]=""
  [peaks]=""
)

# The small valid project the project targets start from: cell type -1 and
# alpha given as text.
project_seed() {
  printf '\x11\x20\x01\x00\x2d\x00\x00\x00\x00\x00\x00\x00QBAG\x01\x00\x02\x00\x00\x00\x08\x00CellType\x02\xff\xff\xff\xff\x0b\x00UnitCell(3)\x06\x02\x00\x00\x0060'
}

# datafile inputs: one byte choosing the extension (0 gsa, 5 chi, 6 mca,
# 9 xy; see fuzz/fuzz_files.h), then the file. project_file inputs: flags 3
# (add the project keys, name the data file), that byte, the project's
# length (57 bytes, little-endian), the project, then the data file.
file_seeds() {  # file_seeds TARGET
  local dir="$work/$1" folder byte f n=0
  mkdir -p "$dir"
  for pair in gsas:00 chi:05 mca:06 xy:09; do
    folder="${pair%%:*}"
    byte="${pair##*:}"
    [ -d "$realdata/$folder" ] || continue
    while IFS= read -r f; do
      n=$((n + 1))
      if [ "$1" = datafile ]; then
        { printf "\x$byte"; cat "$f"; } >"$dir/seed$n"
      else
        { printf "\x03\x$byte\x39\x00"; project_seed; cat "$f"; } >"$dir/seed$n"
      fi
    done < <(find "$realdata/$folder" -type f -size -200k)
  done
  echo "$dir"
}
status=0
for target in gsas cpi chi mca xy jcpds project ucl datafile project_file cif peaks; do
  exe="$build/fuzz/fuzz_$target"
  if [ ! -x "$exe" ]; then
    echo "fuzz-smoke: $exe not built" >&2
    status=1
    continue
  fi
  case "$target" in
    datafile | project_file) corpus="$(file_seeds "$target")" ;;
    cif) corpus="$(seed cif)"; cp "$here"/tests/structure/cif/*.cif "$corpus/" ;;
    *) corpus="$(seed "$target" ${folders[$target]})" ;;
  esac
  if [ "$target" = project ]; then
    project_seed >"$corpus/seed.prb"
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
