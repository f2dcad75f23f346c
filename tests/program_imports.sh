#!/bin/bash
# The DLLs a program imports are loaded before its first statement runs, searched for
# in the program's own folder first - a setup's Downloads folder - and so is what they
# load while they start. Each import must be a KnownDLL (mapped from System32 whatever the
# folder holds) or an API set of the C runtime (resolved by the loader, never searched).
# Not comctl32: no KnownDLL, and although the manifest binds it to WinSxS, it loads
# uxtheme.dll by name as it starts (Wine's does, from the program's folder). Everything
# else is loaded at run time, after the program has restricted the search to System32.
# usage: program_imports.sh <objdump> <program>...
objdump="$1"
shift
known=" kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll ole32.dll oleaut32.dll msvcrt.dll "
status=0
for program in "$@"; do
    imports=$("$objdump" -p "$program" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
    if [ -z "$imports" ]; then
        echo "$program: no import table read"
        status=1
        continue
    fi
    echo "$(basename "$program"):" $imports
    for dll in $imports; do
        case "$known" in *" $dll "*) continue ;; esac
        case "$dll" in api-ms-win-crt-*.dll) continue ;; esac
        echo "  $dll is no KnownDLL: a DLL of that name beside $(basename "$program") would be loaded"
        status=1
    done
done
exit $status
