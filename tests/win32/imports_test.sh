#!/usr/bin/env bash
# The Windows programs import only DLLs that every Windows installs: the C++
# runtime, libgcc, winpthreads and zlib are linked in.
# Usage: imports_test.sh OBJDUMP PROGRAM.exe...
set -u
objdump=$1
shift
allowed="kernel32.dll user32.dll gdi32.dll comctl32.dll comdlg32.dll ws2_32.dll ole32.dll msvcrt.dll advapi32.dll shell32.dll setupapi.dll winmm.dll windowscodecs.dll"
failures=0
for exe in "$@"; do
  dlls=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
  [ -n "$dlls" ] || { echo "FAIL: $exe: no imports found"; failures=$((failures + 1)); }
  for dll in $dlls; do
    case " $allowed " in
      *" $dll "*) ;;
      *) echo "FAIL: $(basename "$exe") imports $dll"; failures=$((failures + 1)) ;;
    esac
  done
  echo "$(basename "$exe"): $(echo $dlls)"
done
exit $((failures > 0))
