#!/usr/bin/env bash
# Makes the upgraders of the signature tests from the stand-in upgrader: a test
# certificate authority and code-signing certificates (the pinned publisher name
# and another one), made fresh on every run, never kept in the repository.
#   sign_upgraders.sh UNSIGNED_EXE OUT_DIR PINNED_NAME [OLD_EXE]
# OUT_DIR then holds ca.der (the authority, for the prefix's root store) and
#   unsigned.exe, pinned.exe, other.exe  the stand-in not signed, signed by the
#                                        pinned name, by another name;
#   tampered.exe  pinned.exe with one byte of its DOS stub changed: still a
#                 program that runs, no longer what was signed;
#   old.exe       OLD_EXE (an older version resource) signed by the pinned name,
#                 when it is given;
#   noeku.exe     signed by the pinned name with no extended key usage at all;
#   nocn.exe      signed by a certificate with the pinned name as O and no CN;
#   pinned.key, other.key  the SHA-256 of each certificate's SubjectPublicKeyInfo
#                 in hex, as UPGRADER_SIGNER_KEYS takes it.
set -euo pipefail
src=$1 out=$2 pinned=$3 old=${4:-}
[ -n "$pinned" ] || { echo "sign_upgraders: no pinned signer name configured" >&2; exit 1; }
rm -rf "$out"
mkdir -p "$out/keys"
k=$out/keys
# openssl reads "/" in -subj as the start of the next attribute.
escape() { printf '%s' "$1" | sed 's|/|\\/|g'; }

openssl req -x509 -newkey rsa:2048 -nodes -keyout "$k/ca.key" -out "$k/ca.pem" -days 7 \
    -subj "/CN=OrvoGantry Test Authority" -addext "basicConstraints=critical,CA:true" \
    -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
openssl x509 -in "$k/ca.pem" -outform der -out "$out/ca.der"
printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >"$k/ext.cnf"
printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\n' >"$k/noeku.cnf"

# certify WHO SUBJECT EXTFILE: a key and a certificate from the test authority.
certify() {
    openssl req -newkey rsa:2048 -nodes -keyout "$k/$1.key" -out "$k/$1.csr" -subj "$2" -utf8 2>/dev/null
    openssl x509 -req -in "$k/$1.csr" -CA "$k/ca.pem" -CAkey "$k/ca.key" -CAcreateserial \
        -out "$k/$1.pem" -days 7 -extfile "$3" 2>/dev/null
}
# sign WHO IN OUT
sign() { osslsigncode sign -certs "$k/$1.pem" -key "$k/$1.key" -h sha256 -in "$2" -out "$3" >/dev/null; }

cp "$src" "$out/unsigned.exe"
certify pinned "/CN=$(escape "$pinned")" "$k/ext.cnf"
certify other "/CN=Another Publisher" "$k/ext.cnf"
certify noeku "/CN=$(escape "$pinned")" "$k/noeku.cnf"
certify nocn "/O=$(escape "$pinned")" "$k/ext.cnf"
for who in pinned other noeku nocn; do
    sign "$who" "$out/unsigned.exe" "$out/$who.exe"
done
[ -z "$old" ] || sign pinned "$old" "$out/old.exe"
for who in pinned other; do
    openssl x509 -in "$k/$who.pem" -pubkey -noout | openssl pkey -pubin -outform der |
        openssl dgst -sha256 -r | cut -d' ' -f1 | tr -d '\n' >"$out/$who.key"
done

# "This program cannot be run in DOS mode": its first letter, at 0x4E, is covered
# by the signed digest.
cp "$out/pinned.exe" "$out/tampered.exe"
[ "$(dd if="$out/tampered.exe" bs=1 skip=$((0x4E)) count=1 2>/dev/null)" = T ]
printf 't' | dd of="$out/tampered.exe" bs=1 seek=$((0x4E)) conv=notrunc 2>/dev/null
rm -rf "$k"
