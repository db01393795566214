#!/usr/bin/env bash
# The manual pages render without a warning, and pulsefir-cli(1) names every step and key that
# `pulsefir-cli --help` lists.
# Usage: check_manual_pages.sh MAN pulsefir.1.gz pulsefir-cli.1.gz PULSEFIR-CLI
set -euo pipefail
man="$1" gui_page="$2" cli_page="$3" cli="$4"
render() {
  # Hyphens and minus signs as ASCII, no line broken inside a name.
  LC_ALL=C.UTF-8 MANWIDTH=250 "$man" --warnings -l "$1" 2>"$scratch/warnings" | col -b |
    sed 's/\xe2\x88\x92/-/g; s/\xe2\x80\x90/-/g'
  if [ -s "$scratch/warnings" ]; then
    echo "$1 renders with warnings:" >&2
    cat "$scratch/warnings" >&2
    return 1
  fi
}
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
render "$gui_page" >"$scratch/gui"
grep -q 'pulsefir - design FIR correction filters' "$scratch/gui"
render "$cli_page" >"$scratch/cli"
LC_ALL=C LANG=C LANGUAGE= "$cli" --help >"$scratch/help"
# The first word of each line of the Steps: and Keys: blocks.
names="$(awk '/^Steps:/ || /^Keys:/ { on = 1; next } /^$/ { on = 0 } on && /^  [a-zA-Z]/ { print $1 }' "$scratch/help")"
count=0
for name in $names; do
  count=$((count + 1))
  if ! grep -qF -- "$name" "$scratch/cli"; then
    echo "pulsefir-cli(1) does not name $name" >&2
    exit 1
  fi
done
if [ "$count" -lt 50 ]; then
  echo "only $count steps and keys found in --help" >&2
  exit 1
fi
echo "manual pages render; pulsefir-cli(1) names all $count steps and keys"
