#!/usr/bin/env bash
# man-page.sh PROGRAM "one-line description" OUT.1.gz
# Writes PROGRAM's manual page from its own --version and --help, so that the
# page cannot drift from the program. The help's "usage:" lines become the
# synopsis and the rest the description; when the help lists commands (an
# indented line per command under "commands:"), each gets a section holding
# `PROGRAM COMMAND --help`, or its line of the list while it has no help of
# its own. New commands therefore appear by themselves.
set -euo pipefail
program=$1 description=$2 out=$3
name=$(basename "$program")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

version=$("$program" --version)
"$program" --help > "$scratch/help"

# Text as man(7) shows it: backslashes doubled, a leading dot or quote
# protected so that it is not read as a request.
roff() { sed -e 's/\\/\\e/g' -e "s/^\([.']\)/\\\\\&\1/"; }
block() { printf '.nf\n'; roff; printf '.fi\n'; }

{
  printf '.TH %s 1 "" "%s" "User Commands"\n' "$(tr '[:lower:]' '[:upper:]' <<< "$name")" "$version"
  printf '.SH NAME\n%s \\- %s\n' "$name" "$description"
  printf '.SH SYNOPSIS\n'
  sed -n -e '/^usage:/,/^$/{/^ \{3,\}'"$name"'/s/^ *//p}' -e 's/^usage: *//p' "$scratch/help" | block
  printf '.SH DESCRIPTION\n'
  # Everything after the usage block, less the list of commands.
  awk 'started && /^commands:/ {skip = 1; next}
       skip && /^  / {next}
       {skip = 0}
       started {print}
       /^$/ {started = 1}' "$scratch/help" | block
  commands=$(awk '/^commands:/ {on = 1; next} on && /^  [^ ]/ {print $1; next} on {on = 0}' "$scratch/help")
  if [ -n "$commands" ]; then
    printf '.SH COMMANDS\n'
    for c in $commands; do
      printf '.SS %s\n' "$c"
      # Run where a command that takes --help for a file name writes nothing
      # that matters; what it prints counts as help only when it says how
      # the command is used.
      if (cd "$scratch" && "$program" "$c" --help > "$scratch/cmd" 2>/dev/null) &&
         head -n 1 "$scratch/cmd" | grep -qi -e 'usage' -e "$name $c"; then
        block < "$scratch/cmd"
      else
        awk -v c="$c" '/^commands:/ {on = 1; next} on && $1 == c {sub(/^ +/, ""); print; exit}' "$scratch/help" | block
      fi
    done
  fi
  printf '.SH VERSION\n%s\n' "$version"
} | gzip -9n > "$out.tmp"
mv "$out.tmp" "$out"
