#!/usr/bin/env bash
# Signs a Windows file (exe, DLL or package) in place with an Authenticode signature: a SHA-256
# digest, the certificate SIGN_CERT with its key SIGN_KEY (PEM files), and an RFC 3161 time
# stamp from the server at SIGN_TIMESTAMP_URL when that is set.
#   sign-file.sh FILE [NAME]   NAME is what Windows calls the file when it asks for an
#                              administrator to run it
#   sign-file.sh --check       only whether a certificate and key are given
set -uo pipefail

if [ -z "${SIGN_CERT:-}" ] || [ -z "${SIGN_KEY:-}" ] || [ ! -r "$SIGN_CERT" ] ||
   [ ! -r "$SIGN_KEY" ]; then
  echo "No certificate to sign with: SIGN_CERT and SIGN_KEY must name the PEM files of a" \
    "code-signing certificate and of its key. Nothing was signed." >&2
  exit 1
fi
[ "${1:?usage: sign-file.sh FILE [NAME] | --check}" = --check ] && exit 0

file=$1
arguments=(sign -h sha256 -certs "$SIGN_CERT" -key "$SIGN_KEY" -in "$file" -out "$file.signed")
[ -n "${2:-}" ] && arguments+=(-n "$2")
[ -n "${SIGN_TIMESTAMP_URL:-}" ] && arguments+=(-ts "$SIGN_TIMESTAMP_URL")
rm -f "$file.signed"
if ! output=$(osslsigncode "${arguments[@]}" 2>&1) || ! mv "$file.signed" "$file"; then
  printf '%s\n' "$output" >&2
  echo "Could not sign $file." >&2
  rm -f "$file.signed"
  exit 1
fi
