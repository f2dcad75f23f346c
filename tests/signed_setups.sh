#!/usr/bin/env bash
# signed_setups.sh KFTOOL SIGN_TOOL: kftool build --sign with osslsigncode (through
# sign_tool.sh). Without a command that changes anything the output is the unsigned
# one byte for byte; signed, dual-signed and unsigned-again setups list and verify as
# the same package; the signer accepts the setup and the uninstaller inside it; a
# signature kept over a second package, a flipped package byte, a failing command and
# a template that quotes the path are caught.
set -euo pipefail
kftool="$1" sign="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
fail() { echo "signed_setups: $*" >&2; exit 1; }

mkdir -p stage/app
echo "hello" >stage/app/a.txt
head -c 200000 /dev/urandom >stage/app/b.bin
"$kftool" script set demo.kfs "TITLE=Signed Demo" ADDDIR=1 ADDDIRTEXT=app ADDFILES=0 INCLUDEMAINEXE=0 \
    LAUNCH=0 DESKTOP=0 >/dev/null
build() { "$kftool" build -C stage "$@" >/dev/null; }

build demo.kfs plain.exe
build --sign "true {}" demo.kfs hooked.exe
cmp -s plain.exe hooked.exe || fail "a command that signs nothing changed the output"

build --sign "$sign sign {}" demo.kfs signed.exe
"$sign" verify signed.exe || fail "osslsigncode rejects the signed setup"
"$kftool" cat signed.exe uninstall.exe >uninstall.exe
"$sign" verify uninstall.exe || fail "the packed uninstaller is not signed"
cp signed.exe dual.exe
"$sign" nest dual.exe
"$sign" verify dual.exe || fail "osslsigncode rejects the dual-signed setup"
cp signed.exe removed.exe
"$sign" remove removed.exe
"$kftool" list signed.exe >signed.list
[ "$(wc -l <signed.list)" -eq "$("$kftool" list plain.exe | wc -l)" ] || fail "signed.exe lists other entries"
for f in signed dual removed; do
    "$kftool" list "$f.exe" >"$f.list" || fail "kftool list $f.exe failed"
    cmp -s signed.list "$f.list" || fail "$f.exe lists other entries than signed.exe"
    "$kftool" verify "$f.exe" >/dev/null || fail "kftool verify $f.exe failed"
done

# What keeps a signature valid on Windows (which, unlike osslsigncode, does not check
# the table by default) but adds a second package and a trailer pointing at it
# (sign_tool.sh tamper-*): refused as damaged, never read as unsigned.
for kind in grow table tail; do
    cp signed.exe "tamper-$kind.exe"
    "$sign" "tamper-$kind" "tamper-$kind.exe"
    if "$kftool" verify "tamper-$kind.exe" >tamper.out 2>&1; then fail "tamper-$kind.exe passed kftool verify"; fi
    grep -q "damaged setup: " tamper.out || fail "kftool verify did not say why: $(cat tamper.out)"
    if "$kftool" list "tamper-$kind.exe" >/dev/null 2>&1; then fail "kftool list read tamper-$kind.exe"; fi
done

# One byte of the package (inside b.bin's data) flipped after signing.
python3 -c "
import sys; d = bytearray(open('signed.exe', 'rb').read()); d[len(d) // 2] ^= 1; open('flip.exe', 'wb').write(d)"
if "$kftool" verify flip.exe >flip.out; then fail "a flipped byte in a signed setup passed kftool verify"; fi
grep -q "checksum does not match" flip.out || fail "kftool verify did not say why: $(cat flip.out)"

# A failing command fails the build and leaves no output, at either step.
if build --sign "false {}" demo.kfs failed.exe 2>err.txt; then fail "a failing command passed"; fi
grep -q "signing uninstall.exe failed" err.txt || fail "no clear message: $(cat err.txt)"
[ ! -e failed.exe ] || fail "failed.exe was left behind"
if build --sign 'test $(basename {}) = uninstall.exe' demo.kfs late.exe 2>err.txt; then
    fail "a command failing on the setup passed"
fi
grep -q "late.exe: signing failed" err.txt || fail "no clear message: $(cat err.txt)"
[ ! -e late.exe ] || fail "late.exe was left behind"
# A template that quotes {} itself would let a file name end the quote.
for template in "true \"{}\"" "true '{}'"; do
    if build --sign "$template" demo.kfs quoted.exe 2>err.txt; then fail "--sign $template passed"; fi
    grep -q "inside quotation marks" err.txt || fail "no clear message: $(cat err.txt)"
    [ ! -e quoted.exe ] || fail "quoted.exe was left behind"
done
echo "signed_setups: signed, dual, removed, tampered, flipped, failing and quoting cases checked"
