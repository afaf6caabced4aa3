#!/usr/bin/env bash
# Checks the shipped 32-bit executables as a loader would see them: PE32 for i386, the right
# subsystem, no MinGW runtime DLL among the imports, address-space randomisation and DEP on.
set -uo pipefail
dir="$1"
objdump=i686-w64-mingw32-objdump
fail=0
check() { # description, condition
  if eval "$2"; then echo "ok   $1"; else echo "FAIL $1"; fail=1; fi
}
for exe in KQSetup.exe PHelper.exe; do
  f="$dir/$exe"
  [ -f "$f" ] || { [ "$exe" = PHelper.exe ] && continue; echo "FAIL $exe missing"; fail=1; continue; }
  headers=$($objdump -p "$f")
  imports=$(echo "$headers" | awk '/DLL Name:/ {print tolower($3)}')
  check "$exe is PE32 for i386" "file '$f' | grep -q 'PE32 executable.*Intel 80386'"
  if [ "$exe" = KQSetup.exe ]; then
    check "$exe uses the GUI subsystem" "echo \"\$headers\" | grep -q 'Subsystem.*(Windows GUI)'"
  else
    check "$exe uses the console subsystem" "echo \"\$headers\" | grep -q 'Subsystem.*(Windows CUI)'"
  fi
  check "$exe imports no MinGW runtime DLL" "! echo \"\$imports\" | grep -qE 'libstdc|libgcc|libwinpthread|mingw'"
  check "$exe has a dynamic base (ASLR)" "echo \"\$headers\" | grep -qE 'DllCharacteristics.*' && echo \"\$headers\" | grep -q 'DYNAMIC_BASE'"
  check "$exe is NX compatible (DEP)" "echo \"\$headers\" | grep -q 'NX_COMPAT'"
done
exit $fail
