#!/bin/sh
# Authenticode signing with osslsigncode (SHA-256).
#
#   sign.sh check CERT KEY         the key belongs to the certificate
#   sign.sh sign CERT KEY FILE     signs FILE (a program or an MSI) in place
#
# CERT is a PEM file of the signing certificate and its intermediates, in
# any order. KEY is a PEM file, or a PKCS#11 URI ("pkcs11:...") for a key
# kept on a hardware token, with TITLEBAR_PKCS11_MODULE naming the token's
# module.
# TITLEBAR_TIMESTAMP_URL, when set, names an RFC 3161 timestamp server.
set -eu
action=$1
cert=$2
key=$3

fail() {
    echo "sign.sh: $*" >&2
    exit 1
}

case $key in
pkcs11:*) token=yes ;;
*) token="" ;;
esac

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The certificates of $cert, the signing certificate first: a PEM from
# `openssl pkcs12 -nokeys` may hold the chain in any order. The signing
# certificate is the one that issued none of the others.
leaf_first() {
    awk -v dir="$work" '/-----BEGIN CERTIFICATE-----/ { n++ }
        n { print > (dir "/cert." n ".pem") }' "$cert"
    set -- "$work"/cert.*.pem
    [ -e "$1" ] || fail "'$cert' holds no PEM certificate"
    for candidate; do
        subject=$(openssl x509 -in "$candidate" -noout -subject -nameopt RFC2253)
        issued=""
        for other; do
            [ "$other" = "$candidate" ] && continue
            [ "$(openssl x509 -in "$other" -noout -issuer -nameopt RFC2253 | sed 's/^issuer=/subject=/')" = \
                "$subject" ] && issued=yes
        done
        if [ -z "$issued" ]; then
            cat "$candidate"
            for other; do [ "$other" = "$candidate" ] || cat "$other"; done
            return 0
        fi
    done
    fail "'$cert' is no chain: each of its certificates issued another"
}

[ -r "$cert" ] || fail "cannot read the certificate '$cert'"
openssl x509 -in "$cert" -noout 2>/dev/null || fail "'$cert' is not a PEM certificate"
leaf_first >"$work/chain.pem"
cert_given=$cert
cert=$work/chain.pem

case $action in
check)
    if [ -n "$token" ]; then
        [ -n "${TITLEBAR_PKCS11_MODULE:-}" ] ||
            fail "a PKCS#11 key needs TITLEBAR_PKCS11_MODULE, the token's module"
        exit 0
    fi
    [ -r "$key" ] || fail "cannot read the key '$key'"
    cert_key=$(openssl x509 -in "$cert" -noout -pubkey 2>/dev/null) ||
        fail "cannot read the public key of '$cert_given'"
    own_key=$(openssl pkey -in "$key" -pubout 2>/dev/null) ||
        fail "'$key' is not a PEM private key (or it is encrypted)"
    [ "$cert_key" = "$own_key" ] || fail "the key '$key' does not belong to the certificate '$cert_given'"
    ;;
sign)
    file=$4
    set -- -certs "$cert" -key "$key" -h sha256 \
        -n "Reset Microsoft Internet Explorer Titlebar" -i "https://tavrelin.example.com/"
    [ -z "$token" ] || set -- "$@" -pkcs11module "$TITLEBAR_PKCS11_MODULE"
    [ -z "${TITLEBAR_TIMESTAMP_URL:-}" ] || set -- "$@" -ts "$TITLEBAR_TIMESTAMP_URL"
    rm -f "$file.signed"
    osslsigncode sign "$@" -in "$file" -out "$file.signed" >"$file.sign.log" 2>&1 || {
        cat "$file.sign.log" >&2
        rm -f "$file.signed" "$file.sign.log"
        fail "signing $(basename "$file") failed"
    }
    rm -f "$file.sign.log"
    mv "$file.signed" "$file"
    ;;
*)
    fail "usage: sign.sh check|sign CERT KEY [FILE]"
    ;;
esac
