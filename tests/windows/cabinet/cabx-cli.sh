#!/bin/sh
# cabx-cli.sh CABX CABS: the cabx command line as maintainers script it.
cabx=$1 cabs=$2
run() { "$(dirname "$0")/../../wine/wine-run" "$cabx" "$@"; }
fails=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; fails=$((fails + 1)); fi; }
out=$(mktemp -d)

run >/dev/null 2>&1; rc=$?
check "no arguments is a usage error" '[ $rc -eq 2 ]'
run --key XYZ "Z:$cabs/tree.cab" "Z:$out/a" >/dev/null 2>&1; rc=$?
check "a key that is not hex is a usage error" '[ $rc -eq 2 ]'

run "Z:$cabs/tree.cab" "Z:$out/a" >"$out/list" 2>"$out/err"; rc=$?
check "file mode extracts" '[ $rc -eq 0 ]'
check "one line per file" '[ "$(wc -l <"$out/list")" -eq 4 ]'
check "bytes equal" 'cmp -s "$cabs/tree/sub/deep/big.bin" "$out/a/sub/deep/big.bin"'

run --memory "Z:$cabs/small-large.cab" >"$out/mem" 2>&1; rc=$?
total=$(awk '$1 == "total" { print $2 }' "$out/mem" | tr -d '\r')
check "memory mode ends with the total" '[ $rc -eq 0 ] && [ "$total" = 5004 ]'

run --key 0011 "Z:$cabs/tree.cab" "Z:$out/b" >/dev/null 2>"$out/err"; rc=$?
check "a plain cabinet with a key fails with 1" '[ $rc -eq 1 ]'
check "and prints the codes" 'grep -q "codes: oper=[0-9-]* type=[0-9-]* own=1007" "$out/err"'

# A full volume: a tmpfs smaller than the cabinet's largest file.
mkdir "$out/full"
if mount -t tmpfs -o size=16k tmpfs "$out/full" 2>"$out/err"; then
    run "Z:$cabs/tree.cab" "Z:$out/full" >/dev/null 2>"$out/err"; rc=$?
    check "a full volume fails with 1" '[ $rc -eq 1 ]'
    check "naming the file and the system's reason" \
        'grep -qF "full\\sub\\deep\\big.bin" "$out/err" && grep -q "^Error 112: " "$out/err"'
    check "and leaves no part of that file" '[ ! -e "$out/full/sub/deep/big.bin" ]'
    umount "$out/full"
else
    check "a tmpfs for the full volume can be mounted: $(cat "$out/err")" false
fi

rm -rf "$out"
[ $fails -eq 0 ]
