#!/bin/sh
# Installs the Debian packages the builds and tests need; quick when all are there.
set -e
PACKAGES="g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools \
wine wine64 gcab xvfb xauth cmake make g++ googletest imagemagick openssl cabextract \
icoutils python3 binutils-mingw-w64-x86-64 binutils-mingw-w64-i686"
missing=""
for p in $PACKAGES; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "installing:$missing"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
# shellcheck disable=SC2086
$SUDO apt-get install -y -qq --no-install-recommends $missing >/dev/null
