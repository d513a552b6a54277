#!/bin/sh
# Makes a throwaway certificate authority, an intermediate authority it
# issued, and a code-signing certificate that the intermediate issued, for
# the signing tests: DIR/ca.pem (the root alone, what a verifier trusts),
# DIR/signer.pem (the signing certificate, then the intermediate: the chain
# as an authority delivers it), DIR/signer.key, and DIR/other.key (a key
# that belongs to no certificate). A signature verifies against the root
# only when it carries the intermediate.
set -eu
dir=$1
mkdir -p "$dir"
cd "$dir"
quiet() { "$@" >/dev/null 2>&1; }

quiet openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=ietitlebar test root" \
    -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign" \
    -keyout ca.key -out ca.pem
quiet openssl req -newkey rsa:2048 -nodes -subj "/CN=ietitlebar test intermediate" \
    -keyout intermediate.key -out intermediate.csr
printf 'basicConstraints=critical,CA:TRUE,pathlen:0\nkeyUsage=critical,keyCertSign\n' \
    >intermediate.ext
quiet openssl x509 -req -in intermediate.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 \
    -extfile intermediate.ext -out intermediate.pem
quiet openssl req -newkey rsa:2048 -nodes -subj "/CN=ietitlebar test signer" \
    -keyout signer.key -out signer.csr
printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' \
    >signer.ext
quiet openssl x509 -req -in signer.csr -CA intermediate.pem -CAkey intermediate.key \
    -CAcreateserial -days 2 -extfile signer.ext -out signer-only.pem
cat signer-only.pem intermediate.pem >signer.pem
quiet openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:2048 -out other.key
