#!/usr/bin/env bash
# guide_commands_test.sh SOURCE_DIR SHARED_DIR BIN_DIR...
# Runs every command the user guide shows in its ```console blocks (the
# lines after "$ "), in order, in a scratch folder laid out like a checkout:
# ../shared beside it and docs/examples inside. Each must succeed. A build
# without the desktop program skips the commands that start it.
set -euo pipefail
src=$1 shared=$2
shift 2
for d in "$@"; do PATH=$d:$PATH; done
export PATH QT_QPA_PLATFORM=offscreen
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/work/docs" "$tmp/home"
ln -s "$shared" "$tmp/shared"
cp -r "$src/docs/examples" "$tmp/work/docs/"
export QUORLIN_HOME=$tmp/home

mapfile -t commands < <(awk '/^```console/ {on = 1; next} /^```/ {on = 0} on && sub(/^\$ /, "")' "$src/docs/guide.md")
[ ${#commands[@]} -ge 5 ] || { echo "FAIL: the guide shows only ${#commands[@]} commands" >&2; exit 1; }
cd "$tmp/work"
gui=yes
command -v quorlin > /dev/null || gui=no
ran=0
for c in "${commands[@]}"; do
  [ "$gui" = no ] && [ "${c%% *}" = quorlin ] && continue
  ran=$((ran + 1))
  if ! bash -euo pipefail -c "$c" > "$tmp/out" 2>&1; then
    echo "FAIL: $c" >&2
    cat "$tmp/out" >&2
    exit 1
  fi
done
echo "guide: $ran of ${#commands[@]} commands ran"
