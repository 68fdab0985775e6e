#!/usr/bin/env bash
# Compares the hooking engine's instruction length decoder with objdump, a
# reference nobody here wrote: every instruction objdump finds in the code of
# the image's functions must have the length objdump gives it.
#   instructions-vs-objdump.sh IMAGE VLDECODE
set -euo pipefail
image="$1" vldecode="$2"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# "address length mnemonic" for every instruction of .text; an instruction longer
# than objdump's line goes on in lines that hold only bytes.
i686-w64-mingw32-objdump -d -j .text --insn-width=16 "$image" |
    perl -F'\t' -lane 'next unless $F[0] =~ /^\s*([0-9a-f]+):$/; my $a = $1;
        my @bytes = split " ", $F[1]; my $m = defined $F[2] ? (split " ", $F[2])[0] : "";
        printf "%08X %d %s\n", hex $a, scalar @bytes, $m' > "$tmp/reference"
cut -d' ' -f1 "$tmp/reference" | "$vldecode" "$image" > "$tmp/ours"
paste -d' ' "$tmp/reference" "$tmp/ours" | perl -lane '
    my ($a, $len, $m, $ours) = @F[0, 1, 2, 4];
    if ($m eq "(bad)" || $m eq ".byte") { $bad++; next }
    if ($ours eq $len) { $agree++ } else { $differ++; print "differs: $_" if $shown++ < 20 }
    END { my $total = $agree + $differ;
          printf "instructions: %d of %d agree (%.3f%%), %d bytes that objdump decodes as none\n",
              $agree, $total, $total ? 100 * $agree / $total : 0, $bad;
          exit($differ ? 1 : 0) }'
