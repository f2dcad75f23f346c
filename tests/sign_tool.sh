#!/usr/bin/env bash
# sign_tool.sh ACTION FILE: Authenticode for the tests, with osslsigncode and a
# throw-away certificate that openssl makes on first use in KF_SIGN_DIR (default
# /tmp/kf-sign-$UID). ACTION: sign (replace any signature), nest (add a second, SHA-1
# one), remove, verify, and tamper-grow, tamper-table, tamper-tail: what an attacker
# can do to a signed setup without breaking its signature (Authenticode skips the
# security directory and the table), each appending a second package (the file's own
# again) and a trailer that points at it: the directory grown over a bogus 4-byte
# record and them; them and a copy of the table that the directory is moved to; them
# behind the sound table. The PE checksum is made right again. Under Wine it is started as a Unix program (through a link
# named .exe, by sign_tool.cmd) and FILE is a Windows path: winepath turns it into the
# Unix one, and FILE.kf-done receives the exit status.
set -euo pipefail
action="$1" file="$2"
case "$file" in
    [A-Za-z]:\\*)
        file="$(winepath -u "$file" 2>/dev/null)"
        # Wine does not wait for a Unix program: sign_tool.cmd waits for this file. It
        # appears whole (renamed into place), or the batch file could read it empty.
        trap 'status=$?; echo $status >"$file.kf-done.part"; mv -f "$file.kf-done.part" "$file.kf-done"' EXIT
        ;;
esac
case "$action" in
    tamper-*)
        python3 - "${action#tamper-}" "$file" <<'PY'
import struct, sys
kind, path = sys.argv[1], sys.argv[2]
d = bytearray(open(path, 'rb').read())
u32 = lambda at: struct.unpack_from('<I', d, at)[0]
pe = u32(0x3C)
directory = pe + 24 + (96 if struct.unpack_from('<H', d, pe + 24)[0] == 0x10B else 112) + 32
table_at, table_size = struct.unpack_from('<II', d, directory)
# The package: the trailer in front of the table's padding points at a first header.
for pad in range(8):
    base = u32(table_at - pad - 4)
    if base < table_at and u32(base + 256) == 268 and not any(d[table_at - pad:table_at]):
        package = d[base:table_at - pad - 4]
        break
else:
    sys.exit('tamper: no package found')
table = d[table_at:table_at + table_size]
def evil(at): return package + struct.pack('<I', at)
if kind == 'grow':
    d += struct.pack('<I', 4) + evil(len(d) + 4)
    struct.pack_into('<I', d, directory + 4, len(d) - table_at)
elif kind == 'table':
    d += evil(len(d))
    d += bytes(-len(d) % 8)
    struct.pack_into('<II', d, directory, len(d), len(table))
    d += table
elif kind == 'tail':
    d += evil(len(d))
else:
    sys.exit('tamper: unknown kind ' + kind)
checksum_at = pe + 24 + 64
struct.pack_into('<I', d, checksum_at, 0)
total = sum(struct.unpack_from('<%dH' % (len(d) // 2), d)) + (d[-1] if len(d) % 2 else 0)
while total >> 16:
    total = (total & 0xFFFF) + (total >> 16)
struct.pack_into('<I', d, checksum_at, (total + len(d)) & 0xFFFFFFFF)
open(path, 'wb').write(d)
PY
        exit
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
