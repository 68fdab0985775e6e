#!/usr/bin/env bash
# Adding the debug block must not change a byte of the code and data sections.
set -euo pipefail
bare="$1" final="$2"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for section in .text .data .rdata .idata .tls; do
    i686-w64-mingw32-objcopy -O binary --only-section="$section" "$bare" "$tmp/bare"
    i686-w64-mingw32-objcopy -O binary --only-section="$section" "$final" "$tmp/final"
    cmp -s "$tmp/bare" "$tmp/final" || { echo "$section differs"; exit 1; }
    echo "$section identical ($(stat -c %s "$tmp/final") bytes)"
done
i686-w64-mingw32-objdump -h "$final" | grep -q ' \.rsrc ' || { echo "no resource section"; exit 1; }
# The symbols of the block are the framework's handlers, as nm names them.
vldebug="$3" options="$4"
"$vldebug" "$final" "$options" "$tmp/block" | grep "^vldebug: symbol" | while read -r _ _ id address name; do
    i686-w64-mingw32-nm -C "$final" | grep -i "^$address T " | grep -qF "${name%%(*}" ||
        { echo "symbol $id $name is not at $address"; exit 1; }
    echo "symbol $id: $name at $address"
done
