#!/usr/bin/env bash
# series_test.sh SOURCE_DIR SHARED_DIR QUORLIN_CLI
# The guide's batch example: a series split into shares under GNU parallel,
# and under the Slurm job array's script run task by task as Slurm would,
# joins to exactly the rows one quorlin-cli run over the whole series prints
# (spectra the fit refuses included, and more tasks than files).
set -euo pipefail
src=$1 shared=$2 cli=$3
series=$src/docs/examples/series
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
command -v parallel > /dev/null || { echo "GNU parallel is not installed: skipped"; exit 77; }

# Seven spectra under names of their own, so that every row tells its place
# in the series; the odd ones are periclase, the even ones refused.
mca=$shared/realdata/mca
for i in 1 2 3 4 5 6 7; do
  spectrum=$mca/COSI_022_0019.med
  [ $((i % 2)) -eq 0 ] && spectrum=$mca/COSI_021_0001.med
  ln -s "$spectrum" "$tmp/spectrum-$i.med"
  echo "$tmp/spectrum-$i.med"
done > "$tmp/list.txt"
fit=(edfit --card "$src/docs/examples/mgo.jcpds" --standard MgO)

mapfile -t files < "$tmp/list.txt"
"$cli" "${fit[@]}" "${files[@]}" > "$tmp/whole.txt" 2> /dev/null || true
[ "$(grep -vc '^#' "$tmp/whole.txt")" -eq 4 ] || fail "the reference run did not print the four periclase rows"

mkdir "$tmp/par"
parallel "$series/series.sh" run "$tmp/list.txt" {} 3 "$tmp/par/rows-{}.txt" -- "$cli" "${fit[@]}" \
  ::: $(seq -f %04g 0 2) 2> /dev/null || true
"$series/series.sh" join "$tmp"/par/rows-*.txt > "$tmp/par.txt"
diff "$tmp/whole.txt" "$tmp/par.txt" || fail "GNU parallel's joined rows differ from one run"

for id in $(seq 1 9); do
  SLURM_ARRAY_TASK_ID=$id SLURM_ARRAY_TASK_MIN=1 SLURM_ARRAY_TASK_COUNT=9 SLURM_SUBMIT_DIR=$series \
    QUORLIN_CLI=$cli CARD=$src/docs/examples/mgo.jcpds STANDARD=MgO \
    bash "$series/series.sbatch" "$tmp/list.txt" "$tmp/slurm" 2> /dev/null || true
done
[ "$(ls "$tmp"/slurm/rows-*.txt | wc -l)" -eq 9 ] || fail "not every array task wrote its share"
"$series/series.sh" join "$tmp"/slurm/rows-*.txt > "$tmp/slurm.txt"
diff "$tmp/whole.txt" "$tmp/slurm.txt" || fail "the job array's joined rows differ from one run"
echo "series: ok"
