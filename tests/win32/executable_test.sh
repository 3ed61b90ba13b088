#!/usr/bin/env bash
# What users get: a 32-bit GUI program that needs only the system's own DLLs, loads at a
# random address with its data never executable (ASLR, DEP), with its
# version resource and manifest. Usage: executable_test.sh cdinst.exe
set -uo pipefail
exe=$1
objdump=i686-w64-mingw32-objdump
failures=0
check() {
  local what=$1
  shift
  if "$@" >/dev/null; then
    echo "ok: $what"
  else
    echo "FAILED: $what"
    failures=$((failures + 1))
  fi
}

headers=$($objdump -p "$exe")
check "PE32 for i386" grep -q "file format pei-i386" <<<"$headers"
check "no debug sections" test -z "$($objdump -h "$exe" | grep -E '[[:space:]]\.debug_')"
check "PE32 magic" grep -qE "^Magic[[:space:]]+010b" <<<"$headers"
check "GUI subsystem" grep -qE "^Subsystem[[:space:]]+00000002" <<<"$headers"
# ASLR needs the relocations as well as the flag; DEP keeps its data from running.
check "loads at a random address (DYNAMIC_BASE)" \
  grep -qE "^[[:space:]]+DYNAMIC_BASE$" <<<"$headers"
check "keeps its relocations" grep -qE "[[:space:]]\.reloc[[:space:]]" <($objdump -h "$exe")
check "data never executable (NX_COMPAT)" grep -qE "^[[:space:]]+NX_COMPAT$" <<<"$headers"

imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr '[:upper:]' '[:lower:]' | sort)
echo "imports: $(tr '\n' ' ' <<<"$imports")"
check "imports something" test -n "$imports"
unexpected=$(grep -vxE 'kernel32\.dll|user32\.dll|advapi32\.dll|msvcrt\.dll|ntdll\.dll' <<<"$imports")
check "imports only system DLLs" test -z "$unexpected"

check "manifest asks to run as administrator" grep -q 'level="requireAdministrator"' <(strings "$exe")
check "manifest names supported systems" grep -q 'supportedOS Id=' <(strings "$exe")
check "version resource" grep -q 'Instalador de programas do CD' <(strings -el "$exe")

exit $((failures > 0))
