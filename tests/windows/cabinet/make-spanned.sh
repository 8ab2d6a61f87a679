#!/bin/sh
# make-spanned.sh OUTDIR: a set spanning three cabinets, made by Wine's cabarc.
set -e
out=$1
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$out/span" "$out"/span?.cab && mkdir -p "$out/span"
cd "$out/span"
openssl enc -aes-128-ctr -pass pass:span -nosalt -pbkdf2 </dev/zero 2>/dev/null | head -c 150000 > big.bin
printf 'last file\n' > last.txt
"$here/../../wine/wine-run" cabarc -d 60000 -m mszip N ../span*.cab big.bin last.txt >/dev/null
ls ../span1.cab ../span2.cab ../span3.cab >/dev/null
