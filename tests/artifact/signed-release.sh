#!/bin/sh
# signed-release.sh SOURCE_DIR WALKTHROUGH.exe: a release signed with a throwaway
# code-signing certificate. A certificate not meant for code signing, a key of
# another certificate and a missing file stop the configure; two signed builds
# verify and are identical; one changed byte breaks the signature; the signed
# installer makes one whole installation under 32-bit Wine; a signing step that
# fails leaves no Installer.exe behind.
set -u
src=$1 walkthrough=$2
work=$(mktemp -d "$src/build/signed-release-XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT
failed=0
pass() { echo "ok - $1"; }
fail() { echo "FAIL - $1"; failed=1; }

# make_cert NAME ARGS...: a self-signed certificate NAME.pem and its key NAME.key.
make_cert() {
    name=$1
    shift
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Vantrelle test signer $name" \
        -keyout "$work/$name.key" -out "$work/$name.pem" "$@" 2>"$work/openssl.log" ||
        { cat "$work/openssl.log"; echo "FAIL - openssl made no certificate $name"; exit 1; }
}
make_cert signer -addext extendedKeyUsage=codeSigning
make_cert server -addext extendedKeyUsage=serverAuth

# configure DIR CERT KEY -D...: a win32 tree in DIR signing with CERT and KEY; log in DIR.log.
configure() {
    dir=$1 cert=$2 key=$3
    shift 3
    cmake -S "$src" --preset win32 -B "$work/$dir" \
        -DVANTRELLE_SIGN_CERT="$cert" -DVANTRELLE_SIGN_KEY="$key" "$@" >"$work/$dir.log" 2>&1
}
# says DIR TEXT: DIR.log holds TEXT (CMake wraps its messages, so any run of blanks is one space).
says() { tr -s ' \n' '  ' <"$work/$1.log" | grep -qF -- "$2"; }
# refused CERT KEY MESSAGE: the configure stops with MESSAGE.
refused() {
    if configure 1 "$1" "$2"; then
        fail "the configure accepted $(basename "$1") with $(basename "$2")"
    elif says 1 "$3"; then
        pass "the configure stops: ...$(echo "$3" | sed "s|$work/||g")"
    else
        tail -15 "$work/1.log"
        fail "the configure stopped without saying: $3"
    fi
}
refused "$work/server.pem" "$work/server.key" "$work/server.pem is not a code-signing certificate"
refused "$work/signer.pem" "$work/server.key" "$work/server.key is not the private key of the certificate $work/signer.pem"
refused "$work/missing.pem" "$work/signer.key" "$work/missing.pem does not exist"

# The second build links and signs both programs again from the first one's
# objects: that the objects come out the same is installer_reproducible's to show.
for n in 1 2; do
    if [ $n = 2 ]; then
        mkdir -p "$work/2/bin" && mv "$work/1/bin/Installer.exe" "$work/2/bin/" && rm -f "$work/1/bin/Uninstall.exe"
    fi
    if ! { { [ $n = 2 ] || configure 1 "$work/signer.pem" "$work/signer.key"; } &&
        cmake --build "$work/1" --target Installer -j2 >>"$work/1.log" 2>&1; }; then
        tail -20 "$work/1.log"
        echo "FAIL - signed build $n of Installer.exe"
        exit 1
    fi
done
signed=$work/1/bin/Installer.exe

osslsigncode verify -CAfile "$work/signer.pem" "$signed" >"$work/verify.log" 2>&1
rc=$?
grep -E "Signature verification|digest algorithm|Signing time|Text description" "$work/verify.log" | sort -u
if [ $rc -eq 0 ] && grep -q "^Signature verification: ok" "$work/verify.log"; then
    pass "osslsigncode verifies the signature against the certificate"
else
    cat "$work/verify.log"
    fail "osslsigncode verifies the signature (exit $rc)"
fi
grep -Eq "^Message digest algorithm *: SHA256" "$work/verify.log" && pass "signed with SHA-256" || fail "signed with SHA-256"
grep -q "Text description: Vantrelle Installer" "$work/verify.log" &&
    pass "described as Vantrelle Installer" || fail "described as Vantrelle Installer"
when=${SOURCE_DATE_EPOCH:-$(git -C "$src" log -1 --format=%ct)}
stamp=$(date -u -d "@$when" '+%b %e %H:%M:%S %Y GMT')
grep -qF "Signing time: $stamp" "$work/verify.log" &&
    pass "signing time is the sources' ($stamp)" || fail "signing time is the sources' ($stamp)"

a=$(sha256sum "$signed" | cut -d' ' -f1)
b=$(sha256sum "$work/2/bin/Installer.exe" | cut -d' ' -f1)
echo "signed build 1: $a"
echo "signed build 2: $b"
[ "$a" = "$b" ] && pass "two signed builds give the same Installer.exe" || fail "the signed builds differ"

"$src/tests/artifact/check-installer.sh" --signed "$signed" >"$work/check.log" 2>&1 &&
    pass "the signed Installer.exe passes check-installer.sh --signed" ||
    { cat "$work/check.log"; fail "the signed Installer.exe passes check-installer.sh --signed"; }

# One byte flipped in the middle of the resources, which are mostly the payload.
set -- $(i686-w64-mingw32-objdump -h "$signed" | awk '$2 == ".rsrc" { print $3, $6 }')
at=$((0x$2 + 0x$1 / 2))
cp "$signed" "$work/tampered.exe"
python3 -c 'import sys; f = open(sys.argv[1], "r+b"); at = int(sys.argv[2]); f.seek(at); b = f.read(1)[0]; f.seek(at); f.write(bytes([b ^ 0xFF]))' \
    "$work/tampered.exe" "$at"
if osslsigncode verify -CAfile "$work/signer.pem" "$work/tampered.exe" >"$work/tampered.log" 2>&1; then
    fail "a byte changed at offset $at: osslsigncode still verifies"
elif grep -q "^Signature verification: failed" "$work/tampered.log"; then
    pass "a byte changed at offset $at: verification fails"
else
    cat "$work/tampered.log"
    fail "a byte changed at offset $at: verification fails for that reason"
fi

mkdir -p "$work/shots"
"$src/tests/e2e/run-scenario" "$walkthrough" "Z:$signed" "Z:$work/shots" >"$work/install.log" 2>&1
rc=$?
cat "$work/install.log"
if [ $rc -eq 0 ]; then
    pass "the signed installer makes one whole installation under 32-bit Wine"
else
    fail "the signed installer makes one whole installation under 32-bit Wine"
fi

# No timestamp server answers here: signing fails after the link. The signing
# step removes the file it could not sign itself, not only through make.
url=http://127.0.0.1:9/
if ! configure 1 "$work/signer.pem" "$work/signer.key" -DVANTRELLE_SIGN_TIMESTAMP_URL=$url; then
    tail -15 "$work/1.log"
    fail "configure with a timestamp server"
elif cmake --build "$work/1" --target Installer >>"$work/1.log" 2>&1; then
    fail "the build succeeded though the timestamp server did not answer"
elif [ -e "$signed" ] || ! says 1 "and the timestamp server $url failed"; then
    tail -15 "$work/1.log"
    fail "a failed signing step fails the build, names the timestamp server and leaves no Installer.exe"
else
    pass "a failed signing step fails the build, names the timestamp server and leaves no Installer.exe"
fi
cp "$work/2/bin/Installer.exe" "$work/copy.exe"
if "$src/cmake/sign-installer.sh" osslsigncode "$work/copy.exe" "$work/signer.pem" "$work/signer.key" Test $url \
    >/dev/null 2>&1; then
    fail "sign-installer.sh succeeded though the timestamp server did not answer"
elif ls "$work"/copy.exe* >/dev/null 2>&1; then
    fail "sign-installer.sh left $(ls "$work"/copy.exe*) after failing"
else
    pass "sign-installer.sh, failing, removes the file it could not sign"
fi
exit $failed
