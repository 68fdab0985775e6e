#!/usr/bin/env bash
# Compares how the debug block resolves addresses of an image with addr2line, a
# reference nobody here wrote: every sampled address inside the image's functions
# must give the same source file and line in at least 99% of the cases where
# addr2line knows the line.
#   lines-vs-addr2line.sh IMAGE VLRESOLVE VLDEBUG OPTIONS [SAMPLES]
set -euo pipefail
image="$1" vlresolve="$2" vldebug="$3" options="$4" samples="${5:-3000}"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$vldebug" "$image" "$options" "$tmp/block" >/dev/null
# Random addresses between consecutive function starts of the symbol table (fixed seed).
i686-w64-mingw32-nm --defined-only "$image" | awk '$2 ~ /^[Tt]$/ { print $1 }' | sort -u |
    perl -e 'srand(42); my @a = map { hex } <STDIN>; for (1 .. $ARGV[0]) {
        my $k = int(rand(@a - 1)); next if $a[$k + 1] <= $a[$k];
        printf "%08X\n", $a[$k] + int(rand($a[$k + 1] - $a[$k])) }' "$samples" \
    > "$tmp/addresses"
# Reference rows: address, file's base name, line, and the file's own line count
# (addr2line sometimes names the compilation unit's file for code from a header:
# a line past the end of that file is no reference at all).
i686-w64-mingw32-addr2line -e "$image" -a < "$tmp/addresses" |
    perl -ne 'if (/^0x([0-9a-f]+)/) { $a = uc $1; next }
        my ($path, $line) = /^(.*):(\d+|\?)/; $line = 0 if $line eq "?";
        my $lines = -1; if (open my $f, "<", $path) { $lines = 0; $lines++ while <$f>; }
        (my $base = $path) =~ s{.*/}{}; print "$a $base $line $lines\n"' > "$tmp/reference"
"$vlresolve" "$image" "$tmp/block" < "$tmp/addresses" > "$tmp/ours"
paste -d' ' "$tmp/reference" "$tmp/ours" | awk '
    { ref = $2; refLine = $3 + 0; refLines = $4 + 0; unit = $6; line = $7 + 0;
      if (refLine == 0 || ref == "??") { unknown++; next }
      if (refLines >= 0 && refLine > refLines) { impossible++; next }
      sub(/\.cpp$/, "", unit); r = ref; sub(/\.cpp$/, "", r);
      if (unit == r && line == refLine) agree++; else { differ++; if (shown++ < 10) print "differs:", $0 } }
    END { total = agree + differ; pct = total ? 100 * agree / total : 0;
          printf "agreement: %d of %d addresses (%.2f%%), %d without a line in addr2line, %d where addr2line names a file shorter than its line\n", agree, total, pct, unknown, impossible;
          exit pct >= 99 ? 0 : 1 }'
