#!/bin/bash
# Builds delay-import libraries for setup.exe: for each system library named,
# one holding just the functions the program's objects call from it. Linked
# before the ordinary import libraries, they leave kernel32 and the C runtime
# as the only libraries bound at load time; the rest are loaded at first use,
# after the start-up hardening has limited the DLL search to the system folder.
#   delay-import.sh NM DLLTOOL MACHINE LIBDIR OUTDIR DLL1,DLL2,... OBJECTS...
set -euo pipefail
nm="$1" dlltool="$2" machine="$3" libdir="$4" outdir="$5" dlls="$6"
shift 6
mkdir -p "$outdir"
# i386 symbols carry a leading underscore: "_MessageBoxA@16", "__imp__MessageBoxA@16".
imp="__imp_" under=""
if [ "$machine" = i386 ]; then imp="__imp__" under="_"; fi

# Every function the objects call, by its export name (stub or table slot alike).
undefined="$("$nm" -u "$@")"
wanted="$(awk '{print $NF}' <<<"$undefined" |
    sed -e "s/^$imp//" -e "t" -e "s/^$under//" | sort -u)"

IFS=',' read -r -a names <<<"$dlls"
for dll in "${names[@]}"; do
    implib="$libdir/lib$dll.a"
    [ -f "$implib" ] || { echo "delay-import: no import library $implib" >&2; exit 1; }
    exports="$("$nm" --defined-only "$implib" | awk '{print $NF}' | grep "^$imp" | sed "s/^$imp//" | sort -u)"
    def="$outdir/$dll.def"
    {
        echo "LIBRARY $dll.dll"
        echo "EXPORTS"
        comm -12 <(echo "$wanted") <(echo "$exports")
    } > "$def.new"
    if ! cmp -s "$def.new" "$def"; then mv "$def.new" "$def"; else rm -f "$def.new"; fi
    "$dlltool" -m "$machine" -k -d "$def" -D "$dll.dll" -y "$outdir/lib${dll}_delay.a"
done
