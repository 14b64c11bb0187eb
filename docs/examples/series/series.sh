#!/usr/bin/env bash
# Splits a series of files into shares, runs a command on one share, and
# joins the shares' rows, so that a batch engine (GNU parallel, a Slurm job
# array) can run the shares side by side.
#
#   series.sh run LIST TASK TASKS OUT -- COMMAND [ARGS]
#       share TASK (0 .. TASKS-1) of the files listed in LIST, one per line:
#       runs COMMAND ARGS with that share's files appended and writes its
#       rows to OUT. Shares are contiguous runs of the list, so joining them
#       in task order keeps the series' order. Exit status: the command's.
#   series.sh join OUT0 OUT1 ...
#       the "#" header of the first share that has one, then every share's
#       rows, in the order given.
set -euo pipefail

run() {
  # Task numbers may carry leading zeros (0007): they are decimal.
  local list=$1 task=$((10#$2)) tasks=$((10#$3)) out=$4
  shift 4
  [ "${1:-}" = "--" ] && shift
  mapfile -t files < <(grep -v '^[[:space:]]*$' "$list")
  local n=${#files[@]}
  # Share k holds files [k*n/T, (k+1)*n/T): sizes differ by one at most.
  local first=$(( task * n / tasks )) last=$(( (task + 1) * n / tasks ))
  local share=("${files[@]:first:last-first}")
  if [ ${#share[@]} -eq 0 ]; then
    : > "$out"
    return 0
  fi
  "$@" "${share[@]}" > "$out"
}

join_rows() {
  local header=""
  for f in "$@"; do
    if [ -z "$header" ] && grep -q '^#' "$f"; then
      header=1
      grep '^#' "$f"
    fi
  done
  for f in "$@"; do grep -v '^#' "$f" || true; done
}

case "${1:-}" in
  run) shift; run "$@" ;;
  join) shift; join_rows "$@" ;;
  *) echo "usage: series.sh run LIST TASK TASKS OUT -- COMMAND [ARGS] | series.sh join OUT..." >&2; exit 2 ;;
esac
