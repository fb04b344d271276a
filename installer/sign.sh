#!/bin/sh
# Signs a Windows program in place with Authenticode (SHA-256):
#   sign.sh CERT_PEM KEY_PEM FILE [TIMESTAMP_URL]
# The build calls it for the launcher and, from makensis, for the uninstaller and
# the installer.
set -eu
cert=$1 key=$2 file=$3 ts=${4:-}
tmp="$file.signing"
rm -f "$tmp"
if [ -n "$ts" ]; then
    osslsigncode sign -certs "$cert" -key "$key" -h sha256 -ts "$ts" -in "$file" -out "$tmp" >/dev/null
else
    osslsigncode sign -certs "$cert" -key "$key" -h sha256 -in "$file" -out "$tmp" >/dev/null
fi
mv -f "$tmp" "$file"
