#!/bin/sh
# reproducible.sh SOURCE_DIR PRESET [TREE]: builds Installer.exe and the release
# files beside it in a new tree and checks that they equal, byte for byte,
# those of TREE (a tree of the same preset and options, built from the same
# sources: the test's own); without TREE, of a second new tree.
src=$1 preset=$2 tree=${3:-}
work=$(mktemp -d "$src/build/reproducible-XXXXXX") || exit 1
for n in 1 2; do
    [ $n = 1 ] && [ -n "$tree" ] && continue
    if ! { cmake -S "$src" --preset "$preset" -B "$work/$n" && cmake --build "$work/$n" --target release_files -j2; } \
        >"$work/build-$n.log" 2>&1; then
        tail -20 "$work/build-$n.log"
        echo "FAIL - build $n of Installer.exe"
        exit 1
    fi
done
[ -n "$tree" ] && ln -s "$tree" "$work/1"
a=$(sha256sum "$work/1/bin/Installer.exe" | cut -d' ' -f1)
b=$(sha256sum "$work/2/bin/Installer.exe" | cut -d' ' -f1)
echo "build 1: $a"
echo "build 2: $b"
release=$(diff -r "$work/1/release" "$work/2/release" 2>&1)
rm -rf "$work"
if [ "$a" = "$b" ]; then echo "ok - two builds give the same Installer.exe"; else echo "FAIL - the builds differ"; exit 1; fi
if [ -z "$release" ]; then echo "ok - and the same release files"; else echo "$release"; echo "FAIL - the release files differ"; exit 1; fi
