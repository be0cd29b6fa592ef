#!/bin/bash
# Builds delay-import libraries for setup.exe: for each system library, one
# holding just the functions the program's objects import from it. Linked
# before the ordinary import libraries, they leave kernel32 and the C runtime
# as the only libraries bound at load time; the rest are loaded at first use,
# after the start-up hardening has limited the DLL search to the system folder.
#   delay-import.sh NM DLLTOOL MACHINE LIBDIR OUTDIR OBJECTS...
set -euo pipefail
nm="$1" dlltool="$2" machine="$3" libdir="$4" outdir="$5"
shift 5
mkdir -p "$outdir"
prefix="__imp_"
if [ "$machine" = i386 ]; then prefix="__imp__"; fi
wanted="$("$nm" -u "$@" 2>/dev/null | awk '{print $NF}' | grep "^$prefix" | sort -u || true)"
for dll in user32 gdi32 advapi32 shell32 ole32; do
    def="$outdir/$dll.def"
    {
        echo "LIBRARY $dll.dll"
        echo "EXPORTS"
        comm -12 <(echo "$wanted") \
            <("$nm" --defined-only "$libdir/lib$dll.a" 2>/dev/null | awk '{print $NF}' | grep "^$prefix" | sort -u) |
            sed "s/^$prefix//"
    } > "$def.new"
    if ! cmp -s "$def.new" "$def"; then mv "$def.new" "$def"; else rm -f "$def.new"; fi
    "$dlltool" -m "$machine" -k -d "$def" -D "$dll.dll" -y "$outdir/lib${dll}_delay.a"
done
