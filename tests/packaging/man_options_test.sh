#!/usr/bin/env bash
# A program's --help and its manual page list the same long options.
# Usage: man_options_test.sh PROGRAM MANPAGE
set -u
program=$1
page=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Option lines of --help begin with two blanks and the option.
"$program" --help | sed -n 's/^  \(--[a-z][a-z-]*\).*/\1/p' | sort -u >"$work/help"
# Each option of the page is the first word after a .TP, roff's \- undone.
awk 'after_tp { print; after_tp = 0 } /^\.TP/ { after_tp = 1 }' "$page" |
  sed 's/\\-/-/g' | sed -n 's/^\.B[IR]* \(--[a-z][a-z-]*\).*/\1/p' | sort -u >"$work/page"

if [ "$(wc -l <"$work/help")" -lt 5 ]; then
  echo "FAIL: found only $(wc -l <"$work/help") options in $program --help"
  exit 1
fi
if ! diff -u --label "--help" --label "$(basename "$page")" "$work/help" "$work/page"; then
  echo "FAIL: --help and the manual page list different options (- only in --help, + only in the page)"
  exit 1
fi
echo "$(wc -l <"$work/help") options in both"
