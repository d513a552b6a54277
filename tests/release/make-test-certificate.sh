#!/bin/sh
# Makes a throwaway certificate authority and a code-signing certificate it
# issued, for the signing tests: DIR/ca.pem, DIR/signer.pem, DIR/signer.key,
# and DIR/other.key (a key that belongs to no certificate).
set -eu
dir=$1
mkdir -p "$dir"
cd "$dir"
quiet() { "$@" >/dev/null 2>&1; }

quiet openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=ietitlebar test CA" \
    -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign" \
    -keyout ca.key -out ca.pem
quiet openssl req -newkey rsa:2048 -nodes -subj "/CN=ietitlebar test signer" \
    -keyout signer.key -out signer.csr
printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' \
    >signer.ext
quiet openssl x509 -req -in signer.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 \
    -extfile signer.ext -out signer.pem
quiet openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:2048 -out other.key
