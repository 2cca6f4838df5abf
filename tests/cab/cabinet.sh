#!/usr/bin/env bash
# The install cabinet, read back by tools that did not write it.
#   extracts  cabextract tests and lists it: the installation data (.000) first,
#             then the executable under its number, which comes out byte-equal
#             to the build's
#   decodes   read_000 checks every count, offset and length of the .000 and
#             decodes what the device's installer is to do; and it refuses the
#             same file with its shortcut's name ending in a 0, as no cabinet
#             of CE's own wizard has it
#   refuses_a_missing_file, refuses_two_files_with_one_number
#             ce_cab refuses a table with that mistake and writes nothing
#
#   cabinet.sh CASE CAB EXE TABLE CE_CAB GCAB READ_000 WORK
set -u
case=$1 cab=$2 exe=$3 table=$4 ce_cab=$5 gcab=$6 read_000=$7 work=$8
fail() { echo "FAIL: $*"; exit 1; }
rm -rf "$work"
mkdir -p "$work"

# expect_refusal MESSAGE TABLE-LINE: the real table with one line more.
expect_refusal() {
  mkdir "$work/from"
  cp "$exe" "$work/from/"
  echo notes >"$work/from/notes.txt"
  { cat "$table"; echo "$2"; } >"$work/table.txt"
  out=$("$ce_cab" "$work/table.txt" --from "$work/from" --gcab "$gcab" "$work/out.cab") && fail "ce_cab accepted: $2"
  echo "$out"
  grep -qF "$1" <<<"$out" || fail "ce_cab did not say: $1"
  [ -z "$(ls "$work" | grep -v -x -e from -e table.txt)" ] || fail "ce_cab left: $(ls "$work")"
}

case $case in
extracts)
  cabextract -t "$cab" || fail "cabextract finds the cabinet damaged"
  names=$(cabextract -l "$cab" | sed -n 's/^ *[0-9]* | .* | //p' | paste -sd' ')
  [ "$names" = "touchpan.000 touchpan.001" ] || fail "the cabinet holds: $names"
  cabextract -q -d "$work" "$cab" || fail "cabextract cannot extract it"
  cmp "$work/touchpan.001" "$exe" || fail "the extracted executable differs from the build's"
  ;;
decodes)
  cabextract -q -d "$work" -F '*.000' "$cab" || fail "cabextract cannot extract the .000"
  decoded=$("$read_000" "$work/touchpan.000") || fail "$decoded"
  expected='signature MSCE
appname "Touch Panel"
provider "Quillon Inc."
unsupported none
architecture 0
versions 4.0 to 4.99, builds 0 to 0
unknown fields at 4, 12, 16, 96, 98: 0 0 1 0 0
counts DIRS 1 FILES 1 REGHIVES 0 REGKEYS 0 LINKS 1
dir 1 \Program Files\Touch Panel
file 1 \Program Files\Touch Panel\touchpanel.exe, third field 1, flags 0x40000002
link 1 \Windows\Programs\Touch Panel.lnk -> file 1 \Program Files\Touch Panel\touchpanel.exe'
  diff <(echo "$expected") <(echo "$decoded") || fail "the .000 decodes otherwise (above: - expected, + decoded)"
  # The shortcut comes last: its name's length (2) and its one id end the
  # file. Written as the id and a 0 (length 4), the file is 2 bytes longer.
  f=$work/touchpan.000 n=$(stat -c %s "$work/touchpan.000")
  le32() { printf "\\x%02x\\x%02x\\x%02x\\x%02x" $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24)); }
  { head -c 8 "$f"; printf "$(le32 $((n + 2)))"; head -c $((n - 4)) "$f" | tail -c +13
    printf '\x04\x00'; tail -c 2 "$f"; printf '\x00\x00'; } >"$work/old-form.000"
  out=$("$read_000" "$work/old-form.000") && fail "read_000 took a shortcut's name ending in a 0"
  echo "old form: $out"
  grep -qF "a shortcut's name is one string id, not 4 bytes ending in a 0" <<<"$out" || fail "read_000 refused it for another reason"
  ;;
refuses_a_missing_file)
  expect_refusal "help.txt: no such file in" 'file 2 help.txt %CE1%\Touch Panel'
  ;;
refuses_two_files_with_one_number)
  expect_refusal "two files numbered 1: touchpanel.exe and notes.txt" 'file 1 notes.txt %CE1%\Touch Panel'
  ;;
*) fail "no case $case" ;;
esac
echo "cabinet $case: ok"
