#!/usr/bin/env bash
# man_page_test.sh SOURCE_DIR QUORLIN_CLI
# The manual-page generator on a stand-in program whose help holds what roff
# would misread (a backslash, lines starting with a dot or a quote) and one
# command with help of its own and one without; then on quorlin-cli, whose
# every listed command must get its section.
set -euo pipefail
src=$1 cli=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cat > "$tmp/fake-tool" <<'FAKE'
#!/bin/sh
case "$1 ${2:-}" in
  "--version ") echo "fake-tool 9.8" ;;
  "--help ") cat <<'HELP' ;;
usage: fake-tool COMMAND [ARGS]
       fake-tool --version | --help

A tool for a test: a backslash \n stays
.a line that starts with a dot
'and one with a quote

commands:
  alpha X   first command
  beta Y    second one, without help of its own
HELP
  "alpha --help") printf 'usage: fake-tool alpha X\n.dot inside alpha\n' ;;
  *) echo "unknown" >&2; exit 2 ;;
esac
FAKE
chmod +x "$tmp/fake-tool"
"$src/scripts/man-page.sh" "$tmp/fake-tool" "a stand-in" "$tmp/fake-tool.1.gz"

zcat "$tmp/fake-tool.1.gz" > "$tmp/page.1"
warnings=$(groff -man -Tutf8 -ww -z "$tmp/page.1" 2>&1)
[ -z "$warnings" ] || fail "groff warns: $warnings"
text=$(MANWIDTH=200 man -l "$tmp/page.1" 2>/dev/null | col -bx)
expect=(
  "fake-tool - a stand-in"
  "fake-tool COMMAND [ARGS]"
  "fake-tool --version | --help"
  'A tool for a test: a backslash \n stays'
  ".a line that starts with a dot"
  "'and one with a quote"
  ".dot inside alpha"
  "beta Y    second one, without help of its own"
  "fake-tool 9.8"
)
for e in "${expect[@]}"; do grep -qF -- "$e" <<< "$text" || fail "the page lacks: $e"$'\n'"$text"; done
# The list of commands is in COMMANDS, not repeated in the description.
[ "$(grep -cF "first command" <<< "$text")" -eq 0 ] || fail "the command list is repeated"

"$src/scripts/man-page.sh" "$cli" "the command line" "$tmp/cli.1.gz"
commands=$("$cli" --help | awk '/^commands:/ {on = 1; next} on && /^  [^ ]/ {print $1}')
[ -n "$commands" ] || fail "quorlin-cli --help lists no commands"
for c in $commands; do
  zcat "$tmp/cli.1.gz" | grep -qx "\.SS $c" || fail "quorlin-cli.1 has no section for $c"
done
echo "man pages: ok"
