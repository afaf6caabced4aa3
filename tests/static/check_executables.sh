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
    check "$exe uses the GUI subsystem" "grep -q 'Subsystem.*(Windows GUI)' <<<\"\$headers\""
  else
    check "$exe uses the console subsystem" "grep -q 'Subsystem.*(Windows CUI)' <<<\"\$headers\""
  fi
  # Only DLLs that the loader takes from the system itself: the known DLLs, and the common
  # controls bound side by side through the manifest.
  unknown=$(grep -vxE 'advapi32\.dll|comctl32\.dll|gdi32\.dll|kernel32\.dll|msvcrt\.dll|shell32\.dll|user32\.dll|setupapi\.dll|shlwapi\.dll|ole32\.dll|comdlg32\.dll' <<<"$imports" || true)
  check "$exe imports only known system DLLs${unknown:+ (not: $unknown)}" "[ -z \"\$unknown\" ]"
  check "$exe imports no MinGW runtime DLL" "! grep -qE 'libstdc|libgcc|libwinpthread|mingw' <<<\"\$imports\""
  check "$exe has a dynamic base (ASLR)" "grep -q 'DYNAMIC_BASE' <<<\"\$headers\""
  check "$exe is NX compatible (DEP)" "grep -q 'NX_COMPAT' <<<\"\$headers\""
done
exit $fail
