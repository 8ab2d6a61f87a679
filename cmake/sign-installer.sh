#!/bin/sh
# sign-installer.sh OSSLSIGNCODE FILE.exe CERT.pem KEY.pem DESCRIPTION [TIMESTAMP_URL]
# Signs FILE.exe in place (SHA-256, described as DESCRIPTION). The signature is
# written to a temporary file that replaces FILE.exe only once it is complete;
# on failure FILE.exe is removed, so no unsigned file passes for the signed one
# and the next build links and signs again.
#
# The signing time is part of the signed bytes. For signed builds to be
# reproducible it comes from the sources, not the clock: SOURCE_DATE_EPOCH
# when the release sets it, else the time of the sources' last commit.
osslsigncode=$1 exe=$2 cert=$3 key=$4 description=$5 tsa=${6:-}
src=$(cd "$(dirname "$0")/.." && pwd)
when=${SOURCE_DATE_EPOCH:-$(git -C "$src" log -1 --format=%ct 2>/dev/null)}
if [ -n "$when" ]; then
    set -- -time "$when"
else
    echo "sign-installer.sh: neither SOURCE_DATE_EPOCH nor a git history of $src: signing with the current time, so this signed file will not be reproducible" >&2
    set --
fi
# A timestamp is the server's answer at that moment: it cannot be reproduced.
[ -n "$tsa" ] && set -- "$@" -ts "$tsa"

tmp=$exe.signing
log=$exe.signing.log
if "$osslsigncode" sign -certs "$cert" -key "$key" -h sha256 -n "$description" "$@" \
    -in "$exe" -out "$tmp" >"$log" 2>&1 && mv -f "$tmp" "$exe"; then
    rm -f "$log"
    exit 0
fi
cat "$log" >&2
rm -f "$tmp" "$log" "$exe"
echo "sign-installer.sh: signing $exe with $cert${tsa:+ and the timestamp server $tsa} failed (osslsigncode's words above); the unsigned file was removed" >&2
exit 1
