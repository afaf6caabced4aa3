#!/usr/bin/env bash
# Checks the shipped 32-bit executables as a loader would see them: PE32 for i386, the right
# subsystem and a subsystem version that Windows NT 4.0 accepts, no MinGW runtime DLL among the
# imports, address-space randomisation and DEP on, and every load-time import on the list of
# functions that exist on the load floor (tests/static/load_imports.tsv).
#   check_executables.sh BIN_DIR [PROBE_EXE [X86_64_BIN_DIR]]
# PROBE_EXE, when given, is an executable built to import GetTickCount64: the import check must
# refuse it, which shows that the check itself works. X86_64_BIN_DIR holds the same program built
# for 64-bit Windows, whose manifest must name its own architecture: given the 32-bit common
# controls, a 64-bit program dies before its first window.
# KQSetup.exe's manifest is read from its resources (wrestool) and must hold the execution level,
# the common controls 6, its architecture, DPI awareness and the five supported systems, with the
# project's version, which the version resource must carry too (tests/static/check_manifest.py).
# KQSetup.exe, the helper inside it, must stay within 1.5 MiB (1,572,864 bytes): what users
# download.
set -uo pipefail
dir="$1"
probe="${2:-}"
x86_64="${3:-}"
list="$(dirname "$0")/load_imports.tsv"
objdump=i686-w64-mingw32-objdump
fail=0
check() { # description, condition
  if eval "$2"; then echo "ok   $1"; else echo "FAIL $1"; fail=1; fi
}

# "DLL!function" for every load-time import (by name, or "#ordinal").
imports_of() {
  $objdump -p "$1" | awk '
    /DLL Name:/ { dll = toupper($3); next }
    dll && NF == 0 { dll = ""; next }
    dll && /^\t[0-9a-f]+\t/ { if (NF >= 3) print dll "!" $3; else print dll "!#" $2 }'
}

# Prints one line per import that is not on the list or came after the floor; silent when all are
# fine. Releases in order; the floor is the list's "floor" line.
imports_beyond_floor() {
  imports_of "$1" | sort -u | awk -F'\t' -v list="$list" '
    function rank(release) {
      if (release in order) return order[release]
      print "unknown release \"" release "\" in " list > "/dev/stderr"; exit 2
    }
    BEGIN {
      n = split("NT 3.1|NT 3.5|NT 3.51|NT 4.0|NT 4.0 with IE 3.0|NT 4.0 with IE 4.0|2000|XP|XP SP1|XP SP2|Vista|7|8", r, "|")
      for (i = 1; i <= n; i++) order[r[i]] = i
      while ((getline line < list) > 0) {
        if (line ~ /^#/ || line == "") continue
        split(line, f, "\t")
        if (f[1] == "floor") { floor = f[2]; continue }
        known[f[1]] = f[2]
      }
      if (floor == "") { print "no floor line in " list > "/dev/stderr"; exit 2 }
    }
    {
      if (!($0 in known)) { print $0 " (not on the list of functions known on Windows " floor ")"; next }
      if (rank(known[$0]) > rank(floor)) print $0 " (Windows " known[$0] ", after the floor Windows " floor ")"
    }'
}

floor=$(awk -F'\t' '$1 == "floor" {print $2}' "$list")
echo "load floor: Windows $floor (imports checked against $(grep -vc '^#' "$list") listed functions)"
for exe in KQSetup.exe PHelper.exe; do
  f="$dir/$exe"
  [ -f "$f" ] || { echo "FAIL $exe missing"; fail=1; continue; }
  headers=$($objdump -p "$f")
  dlls=$(echo "$headers" | awk '/DLL Name:/ {print tolower($3)}')
  check "$exe is PE32 for i386" "file '$f' | grep -q 'PE32 executable.*Intel 80386'"
  if [ "$exe" = KQSetup.exe ]; then
    check "$exe uses the GUI subsystem" "grep -q 'Subsystem.*(Windows GUI)' <<<\"\$headers\""
  else
    check "$exe uses the console subsystem" "grep -q 'Subsystem.*(Windows CUI)' <<<\"\$headers\""
  fi
  # The loader refuses an executable whose subsystem version is above its own system's.
  subsystem=$(awk '/MajorSubsystemVersion/ {major=$2} /MinorSubsystemVersion/ {minor=$2} END {print major "." minor}' <<<"$headers")
  check "$exe asks for subsystem version $subsystem (Windows NT 4.0 takes up to 4.0)" "[ '$subsystem' = 4.0 ]"
  # Only DLLs that the loader takes from the system itself: the known DLLs, and the common
  # controls bound side by side through the manifest.
  unknown=$(grep -vxE 'advapi32\.dll|comctl32\.dll|gdi32\.dll|kernel32\.dll|msvcrt\.dll|shell32\.dll|user32\.dll' <<<"$dlls" || true)
  check "$exe imports only known system DLLs${unknown:+ (not: $unknown)}" "[ -z \"\$unknown\" ]"
  check "$exe imports no MinGW runtime DLL" "! grep -qE 'libstdc|libgcc|libwinpthread|mingw' <<<\"\$dlls\""
  check "$exe has a dynamic base (ASLR)" "grep -q 'DYNAMIC_BASE' <<<\"\$headers\""
  check "$exe is NX compatible (DEP)" "grep -q 'NX_COMPAT' <<<\"\$headers\""
  beyond=$(imports_beyond_floor "$f")
  count=$(imports_of "$f" | sort -u | wc -l)
  if [ -z "$beyond" ]; then
    echo "ok   $exe: all $count load-time imports exist on Windows $floor"
  else
    echo "FAIL $exe imports what Windows $floor lacks:"
    sed 's/^/       /' <<<"$beyond"
    fail=1
  fi
done

# tools/benchmark.sh prints the share of the limit in use.
size_limit=$((3 * 1024 * 1024 / 2))
if [ -f "$dir/KQSetup.exe" ]; then
  size=$(stat -c %s "$dir/KQSetup.exe")
  check "KQSetup.exe within 1.5 MiB ($size_limit bytes): $size bytes" "[ $size -le $size_limit ]"
fi

if [ -n "$probe" ]; then
  beyond=$(imports_beyond_floor "$probe")
  check "the import check refuses a planted GetTickCount64 import" "grep -q 'KERNEL32.DLL!GetTickCount64' <<<\"\$beyond\""
fi
version=$(sed -n 's/^project(KQSetup VERSION \([0-9.]*\).*/\1/p' "$(dirname "$0")/../../CMakeLists.txt")
manifest_of() { wrestool -x --raw --type=24 --name=1 "$1" 2>/dev/null; }  # RT_MANIFEST, id 1
manifest_check() { # exe, architecture, title
  local exe="$1" arch="$2" faults resource
  resource=$(mktemp)
  wrestool -x --raw --type=16 "$exe" >"$resource" 2>/dev/null  # RT_VERSION
  faults=$(manifest_of "$exe" | python3 "$(dirname "$0")/check_manifest.py" "$arch" "$version" --version-resource "$resource")
  rm -f "$resource"
  if [ -z "$faults" ]; then
    echo "ok   $3: manifest complete for $arch, version $version in the manifest and the version resource"
  else
    echo "FAIL $3:"
    sed 's/^/       /' <<<"$faults"
    fail=1
  fi
}
manifest_check "$dir/KQSetup.exe" X86 "KQSetup.exe"
# The check itself: a manifest without its DPI awareness and with a supported system less fails.
planted=$(manifest_of "$dir/KQSetup.exe" | sed '/dpiAware/d; /8e0f7a12/d' | python3 "$(dirname "$0")/check_manifest.py" X86 "$version")
check "the manifest check refuses a manifest without DPI awareness and Windows 10" \
  "grep -q 'no dpiAware' <<<\"\$planted\" && grep -q 'Windows 10' <<<\"\$planted\""
if [ -n "$x86_64" ]; then
  manifest_check "$x86_64/KQSetup.exe" amd64 "the 64-bit KQSetup.exe"
fi
exit $fail
