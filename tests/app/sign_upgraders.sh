#!/usr/bin/env bash
# Makes the upgraders of the signature tests from the stand-in upgrader: a test
# certificate authority and two code-signing certificates (the pinned publisher
# name and another one), made fresh on every run, never kept in the repository.
#   sign_upgraders.sh UNSIGNED_EXE OUT_DIR PINNED_NAME
# OUT_DIR then holds ca.der (the authority, for the prefix's root store) and
# unsigned.exe, pinned.exe, other.exe and tampered.exe (pinned.exe with one byte
# of its DOS stub changed: still a program that runs, no longer what was signed).
set -euo pipefail
src=$1 out=$2 pinned=$3
[ -n "$pinned" ] || { echo "sign_upgraders: no pinned signer name configured" >&2; exit 1; }
rm -rf "$out"
mkdir -p "$out/keys"
k=$out/keys
# openssl reads "/" in -subj as the start of the next attribute.
subject() { printf '/CN=%s' "$(printf '%s' "$1" | sed 's|/|\\/|g')"; }

openssl req -x509 -newkey rsa:2048 -nodes -keyout "$k/ca.key" -out "$k/ca.pem" -days 7 \
    -subj "/CN=OrvoGantry Test Authority" -addext "basicConstraints=critical,CA:true" \
    -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
openssl x509 -in "$k/ca.pem" -outform der -out "$out/ca.der"
printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >"$k/ext.cnf"

cp "$src" "$out/unsigned.exe"
for who in pinned other; do
    name=$pinned
    [ "$who" = other ] && name="Another Publisher"
    openssl req -newkey rsa:2048 -nodes -keyout "$k/$who.key" -out "$k/$who.csr" \
        -subj "$(subject "$name")" -utf8 2>/dev/null
    openssl x509 -req -in "$k/$who.csr" -CA "$k/ca.pem" -CAkey "$k/ca.key" -CAcreateserial \
        -out "$k/$who.pem" -days 7 -extfile "$k/ext.cnf" 2>/dev/null
    osslsigncode sign -certs "$k/$who.pem" -key "$k/$who.key" -h sha256 \
        -in "$out/unsigned.exe" -out "$out/$who.exe" >/dev/null
done

# "This program cannot be run in DOS mode": its first letter, at 0x4E, is covered
# by the signed digest.
cp "$out/pinned.exe" "$out/tampered.exe"
[ "$(dd if="$out/tampered.exe" bs=1 skip=$((0x4E)) count=1 2>/dev/null)" = T ]
printf 't' | dd of="$out/tampered.exe" bs=1 seek=$((0x4E)) conv=notrunc 2>/dev/null
rm -rf "$k"
