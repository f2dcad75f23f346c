#!/usr/bin/env bash
# sign_tool.sh ACTION FILE: Authenticode for the tests, with osslsigncode and a
# throw-away certificate that openssl makes on first use in KF_SIGN_DIR (default
# /tmp/kf-sign-$UID). ACTION: sign (replace any signature), nest (add a second, SHA-1
# one), remove, verify. Under Wine it is started as a Unix program (through a link
# named .exe, by sign_tool.cmd) and FILE is a Windows path: winepath turns it into the
# Unix one, and FILE.kf-done receives the exit status.
set -euo pipefail
action="$1" file="$2"
case "$file" in
    [A-Za-z]:\\*)
        file="$(winepath -u "$file" 2>/dev/null)"
        # Wine does not wait for a Unix program: sign_tool.cmd waits for this file.
        trap 'echo $? >"$file.kf-done"' EXIT
        ;;
esac
dir="${KF_SIGN_DIR:-/tmp/kf-sign-$(id -u)}"
mkdir -p "$dir"
exec 9>"$dir/.lock"
flock 9
if [ ! -f "$dir/cert.pem" ]; then
    openssl req -x509 -newkey rsa:2048 -nodes -keyout "$dir/key.pem" -out "$dir/cert.pem" -days 30 \
        -subj "/CN=Kitforge Test Signer" -addext "extendedKeyUsage=codeSigning" >/dev/null 2>&1
fi
flock -u 9
keys=(-certs "$dir/cert.pem" -key "$dir/key.pem")
out="$file.kf-signing"
case "$action" in
    sign) osslsigncode sign "${keys[@]}" -n "Kitforge test" -in "$file" -out "$out" >/dev/null ;;
    nest) osslsigncode sign "${keys[@]}" -nest -h sha1 -in "$file" -out "$out" >/dev/null ;;
    remove) osslsigncode remove-signature -in "$file" -out "$out" >/dev/null ;;
    verify) osslsigncode verify -CAfile "$dir/cert.pem" -in "$file" >/dev/null; exit ;;
    *) echo "sign_tool: unknown action $action" >&2; exit 2 ;;
esac
mv -f "$out" "$file"
