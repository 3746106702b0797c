#!/bin/sh
# Usage: check-man-options.sh PROGRAM PAGE
# Fails when the manual page PAGE and the --help of PROGRAM do not name the
# same long options, so that neither can gain or lose an option unnoticed.
# --help itself need not appear in the help text.
set -eu
[ $# -eq 2 ] || { echo "usage: $0 PROGRAM PAGE" >&2; exit 2; }
program=$1
page=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

options() { grep -o -- '--[a-z][a-z0-9-]*' | sort -u; }

"$program" --help >"$scratch/help.txt"
{ options <"$scratch/help.txt"; echo --help; } | sort -u >"$scratch/help"
groff -man -ww -z "$page" 2>"$scratch/warnings"
groff -man -Tascii -P-cbou "$page" | options >"$scratch/page"
if [ -s "$scratch/warnings" ]; then
    cat "$scratch/warnings" >&2
    echo "$page: groff warns" >&2
    exit 1
fi
if ! diff -u "$scratch/help" "$scratch/page" >"$scratch/diff"; then
    echo "$page and '$program --help' name different options ('-' only in --help, '+' only in the page):" >&2
    tail -n +3 "$scratch/diff" | grep '^[-+]' >&2
    exit 1
fi
