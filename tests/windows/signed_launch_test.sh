#!/usr/bin/env bash
# Packs the Windows launcher with oru-pack (under wine), signs it with osslsigncode and a
# throw-away certificate, checks the signature, and runs the signed executable: its
# configuration, read from the archive comment before the certificate table, names a
# stand-in runtime whose start fails, so the message box must say so.
# usage: signed_launch_test.sh LAUNCHER.EXE ORU-PACK.EXE STAND-IN.DLL
set -u
launcher=$1 packer=$2 stand_in=$3
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# A comment near its 2,048-byte limit: after signing, its end record lies too far from the
# end of the file for a search that does not know about the certificate table.
note="note $(head -c 1900 /dev/zero | tr '\0' n)"
wine "$packer" --launcher "Z:$launcher" --main-class x.Y --config "jvmdll Z:$stand_in" \
  --config "$note" \
  -o "Z:$work/app.exe" >"$work/pack.log" 2>&1 || fail "oru-pack: $(cat "$work/pack.log")"
openssl req -x509 -newkey rsa:4096 -nodes -days 2 -subj /CN=oru-test \
  -keyout "$work/key.pem" -out "$work/cert.pem" >/dev/null 2>&1 || fail "openssl"
osslsigncode sign -certs "$work/cert.pem" -key "$work/key.pem" \
  -in "$work/app.exe" -out "$work/signed.exe" >/dev/null 2>&1 || fail "osslsigncode sign"
osslsigncode verify -CAfile "$work/cert.pem" -in "$work/signed.exe" >/dev/null 2>&1 ||
  fail "the signature does not verify"
bash "$here/message_box_test.sh" "$work/signed.exe" "Java Virtual Machine starts failed." ||
  fail "the signed executable did not read its configuration"
echo "ok: signed, verified, and the signed executable read its configuration"
