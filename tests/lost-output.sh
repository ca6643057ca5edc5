#!/bin/sh
# The programs whose one product is their standard output: when it cannot be written (a full
# device, a closed descriptor) each must exit non-zero with its reason on standard error, and
# with 0 when it can. demo-frame also refuses an image of the wrong size before it allocates
# for its pixels: a tiny PNG that declares 1000000 x 1000000 pixels (an allocation first would
# fail or read on instead of naming the size).
#   sh lost-output.sh SCENARIO DEMO_FRAME
set -u
scenario=$1
frame=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0

expect_lost() { # NAME COMMAND...: output to a full device, then to a closed descriptor
    name=$1
    shift
    for target in full closed; do
        if [ $target = full ]; then
            "$@" > /dev/full 2> "$work/err"
        else
            "$@" >&- 2> "$work/err"
        fi
        status=$?
        if [ $status = 0 ] || ! grep -q "standard output could not be written" "$work/err"; then
            echo "$name, output to a $target descriptor: exit status $status, standard error:"
            cat "$work/err"
            failed=1
        fi
    done
    if ! "$@" > "$work/out" 2> "$work/err"; then
        echo "$name, output to a file: failed"
        cat "$work/err"
        failed=1
    fi
}

expect_lost scenario "$scenario"
expect_lost demo-frame "$frame" --frames 1 --out "$work/frame.png"

# Signature, then an IHDR chunk of 1000000 x 1000000 8-bit RGB pixels with its CRC, then IEND.
python3 - "$work/huge.png" << 'PY'
import struct, sys, zlib
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
ihdr = struct.pack(">IIBBBBB", 1000000, 1000000, 8, 2, 0, 0, 0)
idat = zlib.compress(b"\0" * 1024)
with open(sys.argv[1], "wb") as f:
    f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", idat) + chunk(b"IEND", b""))
PY
"$frame" --frames 1 --compare "$work/huge.png" > /dev/null 2> "$work/err"
if ! grep -q "is 1000000x1000000, not 512x512" "$work/err"; then
    echo "demo-frame --compare with a 1000000 x 1000000 image:"
    cat "$work/err"
    failed=1
fi
exit $failed
