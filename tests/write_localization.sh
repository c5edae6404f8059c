#!/bin/sh
# quorvane --write-localization --home DIR: exit 0 and a file of the English
# texts of every window and message, each line ended by CR LF.
set -eu
program=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
XDG_CONFIG_HOME="$work/config" "$program" --write-localization --home "$work/home"
file="$work/home/Localization.txt"
for key in FRMMAIN_MNUFILE0 FRMCONFIRMCLOSE_CHKDONTSHOW FRMLANGUAGE_COMMAND1 MSG_DELETE1 MSG_DOWNLOADED; do
  grep -q "<$key>" "$file" || { echo "no $key in $file" >&2; exit 1; }
done
[ "$(grep -c "<LANGUAGE_GROUP" "$file")" -eq 1 ] || { echo "not one language group" >&2; exit 1; }
if tr -d '\r' <"$file" | cmp -s - "$file"; then echo "lines not ended by CR LF" >&2; exit 1; fi
echo "write_localization: ok"
