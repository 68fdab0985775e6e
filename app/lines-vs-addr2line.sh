#!/usr/bin/env bash
# Compares how the debug block resolves addresses of an image with addr2line, a
# reference nobody here wrote: every sampled address inside the image's functions
# must give the same source file and line, and the same procedure, in at least 99%
# of the cases where addr2line knows them.
#   lines-vs-addr2line.sh IMAGE VLRESOLVE VLDEBUG OPTIONS [SAMPLES]
set -euo pipefail
image="$1" vlresolve="$2" vldebug="$3" options="$4" samples="${5:-3000}"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$vldebug" "$image" "$options" "$tmp/block" >/dev/null
# Every row start of the image's DWARF line table (as objdump decodes it), then
# random addresses between consecutive function starts of the symbol table
# (fixed seed).
i686-w64-mingw32-objdump --dwarf=decodedline "$image" |
    perl -ne 'if (/\s0x([0-9a-f]+)\s/) { my $a = hex $1; printf "%08X\n", $a if $a >= 0x401000 }' |
    sort -u > "$tmp/addresses"
echo "$(wc -l < "$tmp/addresses") row starts and $samples random addresses"
i686-w64-mingw32-nm --defined-only "$image" | awk '$2 ~ /^[Tt]$/ { print $1 }' | sort -u |
    perl -e 'srand(42); my @a = map { hex } <STDIN>; for (1 .. $ARGV[0]) {
        my $k = int(rand(@a - 1)); next if $a[$k + 1] <= $a[$k];
        printf "%08X\n", $a[$k] + int(rand($a[$k + 1] - $a[$k])) }' "$samples" \
    >> "$tmp/addresses"
# Reference rows, tab-separated: address, the file's base name, line, the file's
# own line count (addr2line sometimes names the compilation unit's file for code
# from a header: a line past the end of that file is no reference at all), and
# the function whose code it is: with -i addr2line lists the inlined calls
# innermost first, the function itself last; the block names that one.
i686-w64-mingw32-addr2line -e "$image" -f -i -a < "$tmp/addresses" |
    perl -ne 'chomp;
        sub row { return unless defined $a; print join("\t", $a, @$loc, $fn), "\n" }
        if (/^0x([0-9a-f]+)$/) { row(); $a = uc $1; $loc = undef; $n = 0; next }
        if ($n++ % 2 == 0) { $fn = $_; next }
        next if $loc;
        my ($path, $line) = /^(.*):(\d+|\?)/; $line = 0 if $line eq "?";
        my $lines = $count{$path} //= do { my $n = -1;
            if (open my $f, "<", $path) { $n = 0; $n++ while <$f>; } $n };
        (my $base = $path) =~ s{.*/}{}; $loc = [$base, $line, $lines];
        END { row() }' > "$tmp/reference"
# The functions demangled and reduced to "Class.Procedure" (the innermost scope is
# the class; no parameters, return type, clone suffix or stdcall decoration).
cut -f5 "$tmp/reference" | i686-w64-mingw32-c++filt -n | perl -ne 'chomp;
    s/\(anonymous namespace\):://g; s/@\d+$//; s/ \[clone [^\]]*\]//g;
    my ($d, $cut) = (0, length); for my $i (0 .. length() - 1) { my $c = substr($_, $i, 1);
        $d++ if $c eq "<"; $d-- if $c eq ">"; if ($c eq "(" && $d == 0) { $cut = $i; last } }
    $_ = substr($_, 0, $cut);
    my @p; my $s = 0; $d = 0; for (my $i = 0; $i < length; $i++) { my $c = substr($_, $i, 1);
        $d++ if $c =~ /[<(]/; $d-- if $c =~ /[>)]/;
        $s = $i + 1 if $c eq " " && $d == 0 && substr($_, $s, $i - $s) !~ /operator$/;
        if ($d == 0 && substr($_, $i, 2) eq "::") { push @p, substr($_, $s, $i - $s); $s = $i + 2; $i++ } }
    push @p, substr($_, $s); print((@p >= 2 ? "$p[-2].$p[-1]" : $p[-1]), "\n")' > "$tmp/names"
"$vlresolve" "$image" "$tmp/block" < "$tmp/addresses" > "$tmp/ours"
paste -d'\t' "$tmp/reference" "$tmp/names" "$tmp/ours" | perl -F'\t' -lne '
    my (undef, $ref, $refLine, $refLines, $fn, $refName, $ours) = @F;
    my (undef, $unit, $line, $name) = split / /, $ours, 4;
    if ($fn eq "??") { $unknownName++ }
    else {
        # The block stores a name in parts of at most 127 characters, cut at the
        # dots: a longer class or procedure keeps its first 127.
        my ($class, $proc) = $name =~ /^(.*)\.([^.]*)$/ ? ($1, $2) : ("", $name);
        my ($refClass, $refProc) = $refName =~ /^(.*)\.([^.]*)$/ ? ($1, $2) : ("", $refName);
        sub same { my ($ours, $ref) = @_; $ours eq $ref || (length($ours) == 127 && index($ref, $ours) == 0) }
        if (same($proc, $refProc) && ($refClass eq "" || same($class, $refClass))) { $sameName++ }
        else { $otherName++; print "name differs: $refName | $ours" if $shownNames++ < 10 }
    }
    if ($refLine == 0 || $ref eq "??") { $unknown++; next }
    if ($refLines >= 0 && $refLine > $refLines) { $impossible++; next }
    (my $u = $unit) =~ s/\.cpp$//; (my $r = $ref) =~ s/\.cpp$//;
    if ($u eq $r && $line == $refLine) { $agree++ }
    else { $differ++; print "line differs: $ref:$refLine | $ours" if $shown++ < 10 }
    END {
        my $total = $agree + $differ; my $pct = $total ? 100 * $agree / $total : 0;
        printf "lines: %d of %d addresses agree (%.2f%%), %d without a line in addr2line, %d where addr2line names a file shorter than its line\n",
            $agree, $total, $pct, $unknown, $impossible;
        my $names = $sameName + $otherName; my $namePct = $names ? 100 * $sameName / $names : 0;
        printf "procedures: %d of %d addresses agree (%.2f%%), %d without a function in addr2line\n",
            $sameName, $names, $namePct, $unknownName;
        exit($pct >= 99 && $namePct >= 99 ? 0 : 1) }'
