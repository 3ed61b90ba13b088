#!/usr/bin/env bash
# cdinst-menu against real kernel mounts of disc images, of a UDF DVD, and of FAT file systems
# as the medium and as drive C:. This machine's kernel may lack isofs, udf, vfat and loop
# devices, so a User-mode Linux kernel does the mounting: its root is the host's file system
# (hostfs), so it runs the build's programs where they are.
# Usage: bash tests/kernel/mounted_discs.sh <build dir holding cdinst and cdinst-menu>
# Prints one line per check and "N passed, M failed"; exits 0 only when all passed.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd -P)
[[ $# -eq 1 ]] || { echo "usage: $0 <build dir>" >&2; exit 2; }
build=$(cd "$1" && pwd -P)
for program in cdinst cdinst-menu; do
  [[ -x $build/$program ]] || { echo "missing: $build/$program" >&2; exit 2; }
done

# Installs only what is missing; the guest borrows insmod, losetup and mount from this root.
missing=()
command -v linux >/dev/null || missing+=(user-mode-linux)
command -v xorriso >/dev/null || missing+=(xorriso)
command -v insmod >/dev/null || missing+=(kmod)
command -v losetup >/dev/null || missing+=(mount)
command -v mkfs.vfat >/dev/null || missing+=(dosfstools)
command -v mkudffs >/dev/null || missing+=(udftools)
if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
fi

scratch=$(mktemp -d "${TMPDIR:-/tmp}/mounted_discs.XXXXXX")
scratch=$(cd "$scratch" && pwd -P)
trap 'rm -rf "$scratch"' EXIT
# The kernel's command line is split at spaces, and init's path is on it.
[[ $scratch != *[[:space:]]* ]] || { echo "scratch path has spaces: $scratch" >&2; exit 2; }

# Writes a medium tree: $1 root, $2 bytes of EDITOR.EXE.
make_tree() {
  mkdir -p "$1/DADOS" "$1/PROGS/EDITOR/AJUDA"
  printf '[EDITOR]\r\nNome=Editor\r\nDescricao=Texto\r\nOrigem=PROGS\\EDITOR\r\nDestino=%%PROGRAMFILES%%\\Editor\r\n' \
    >"$1/DADOS/PROGS.INI"
  printf '%s' "$2" >"$1/PROGS/EDITOR/EDITOR.EXE"
  head -c 3000 /dev/urandom >>"$1/PROGS/EDITOR/EDITOR.EXE"
  printf 'ajuda\r\n' >"$1/PROGS/EDITOR/AJUDA/INDICE.HLP"
  printf 'acentos\n' >"$1/PROGS/EDITOR/Ação.txt"
  printf 'escondido\n' >"$1/PROGS/EDITOR/OCULTO.TXT"
}
# The decoy has the same layout but other bytes: reading it where the disc was meant shows
# up as a different installed tree.
make_tree "$scratch/tree" 'MZ disc'
make_tree "$scratch/decoy" 'MZ decoy'
for name in tree decoy; do
  xorriso -as mkisofs -quiet -J -V 'CD TESTE' -o "$scratch/$name.iso" "$scratch/$name" \
    2>"$scratch/xorriso.log" || { cat "$scratch/xorriso.log" >&2; exit 1; }
done
# The existence flag (byte 25 of each record named OCULTO.TXT, in both trees) hides the file from
# Windows, whatever the kernel's mount shows; xorriso cannot set it.
python3 - "$scratch/tree.iso" <<'PY'
import sys
path = sys.argv[1]
image = bytearray(open(path, "rb").read())
for name in (b"OCULTO.TXT;1", "OCULTO.TXT".encode("utf-16-be")):
    at = image.find(bytes([len(name)]) + name)
    while at >= 0:
        image[at - 7] |= 1
        at = image.find(bytes([len(name)]) + name, at + 1)
open(path, "wb").write(image)
PY
(($(stat -c %s "$scratch/decoy.iso") <= 1048576)) || { echo "decoy image over 1 MiB" >&2; exit 1; }

mkdir "$scratch/bin" "$scratch/uml" "$scratch/umltmp"
cp "$build/cdinst-menu" "$scratch/bin/"
# The menu runs the cdinst beside it; this one notes which drive D: it was given.
# shellcheck disable=SC2016
printf '#!/bin/bash\nprintf "%%s\\n" "$CDINST_DRIVE_D" >>"$DRIVE_LOG"\nexec %q "$@"\n' \
  "$build/cdinst" >"$scratch/bin/cdinst"
chmod +x "$scratch/bin/cdinst"
cp "$here/guest.sh" "$scratch/guest.sh"
chmod +x "$scratch/guest.sh"

start=$SECONDS
# TMPDIR: UML maps its memory from a file there. uml_dir keeps its pid files out of $HOME.
TMPDIR=$scratch/umltmp timeout -k 10 240 linux mem=512M rootfstype=hostfs rootflags=/ rw \
  uml_dir="$scratch/uml" con=null con0=null,fd:1 ssl=null init="$scratch/guest.sh" \
  </dev/null >"$scratch/uml.log" 2>&1 || true

passed=0 failed=0
if [[ -f $scratch/results ]]; then
  while IFS= read -r line; do
    case $line in
      PASS*) passed=$((passed + 1)); echo "$line" ;;
      FAIL*) failed=$((failed + 1)); echo "$line" ;;
      END) ;;
      *) echo "$line" ;;
    esac
  done <"$scratch/results"
fi
if ! grep -qx 'END' "$scratch/results" 2>/dev/null; then
  failed=$((failed + 1))
  echo "FAIL guest did not finish; its console:"
  tail -n 40 "$scratch/uml.log"
fi
echo "(UML run: $((SECONDS - start)) s)"
echo "$passed passed, $failed failed"
((failed == 0 && passed > 0))
