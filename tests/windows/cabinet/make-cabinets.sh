#!/bin/sh
# make-cabinets.sh OUTDIR: generates the trees and their MSZIP cabinets (gcab) that
# the engine tests extract. Random contents come from a fixed seed, so every build
# makes the same bytes; the tests compare against the trees, not fixed values.
set -e
out=$1
rm -rf "$out" && mkdir -p "$out"
cd "$out"

# A reproducible byte stream of N bytes.
bytes() { openssl enc -aes-128-ctr -pass pass:"$2" -nosalt -pbkdf2 </dev/zero 2>/dev/null | head -c "$1"; }

mkdir -p tree/Docs tree/sub/deep
printf 'Read me first.\r\n' > tree/top.txt
printf 'The guide.\n' > tree/Docs/Guide.txt
bytes 300000 deep > tree/sub/deep/big.bin
: > tree/empty.txt
touch -d '2021-03-04 05:06:08' tree/top.txt tree/Docs/Guide.txt tree/sub/deep/big.bin tree/empty.txt
(cd tree && gcab -c -z ../tree.cab top.txt Docs/Guide.txt sub/deep/big.bin empty.txt)

# Two files for memory mode: small first, then larger, and the other way round.
mkdir -p mem
printf 'tiny' > mem/small.txt
bytes 5000 mem > mem/large.bin
(cd mem && gcab -c -z ../small-large.cab small.txt large.bin && gcab -c -z ../large-small.cab large.bin small.txt)

# Names: one stored as UTF-8, one whose byte the tests turn into 0xE9 without the UTF-8 bit.
mkdir -p names
printf 'utf' > 'names/utf-café.txt'
printf 'lat' > names/latX.txt
(cd names && gcab -c -z ../names.cab 'utf-café.txt' latX.txt)

# One file whose name (of length N) the tests rewrite into names that leave the target.
mkdir -p evil
for n in 8 9 10 11 12 13 14 15 16; do
    name=$(printf '%*s' "$n" '' | tr ' ' x)
    printf 'evil' > "evil/$name"
    (cd evil && gcab -c "../evil-$n.cab" "$name")
done

printf 'XXXXnot a cabinet at all, just text of some length\n' > notcab.bin

# Links, which Wine cannot make itself but shows a Unix symbolic link to a folder
# as: a folder below the target that leads to another folder, one two levels
# down, and a target reached through a link.
mkdir -p links/victim links/out links/two/sub links/real
ln -s ../victim links/out/Docs
ln -s ../../victim links/two/sub/deep
ln -s real links/via
