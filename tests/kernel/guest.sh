#!/bin/bash
# Init of the UML guest that mounted_discs.sh boots. Its root is the host's file system, so
# everything it makes goes on a tmpfs; only the results file is written through to the host.
export PATH=/usr/sbin:/usr/bin:/sbin:/bin
scratch=$(dirname "$0")
results=$scratch/results

power_off() {
  sync
  echo o >/proc/sysrq-trigger
  sleep 30
}
trap power_off EXIT

mount -t proc proc /proc
mount -t sysfs sysfs /sys
mountpoint -q /dev || mount -t devtmpfs devtmpfs /dev
work=$scratch/guest
mkdir -p "$work"
mount -t tmpfs -o size=128m tmpfs "$work"
mnt=$work/mnt
mkdir "$mnt"

# insmod with the dependencies modules.dep names; built-in ones are skipped.
modules=/usr/lib/uml/modules/$(uname -r)
load() {
  local entry
  grep -q "/$1\.ko\$" "$modules/modules.builtin" 2>/dev/null && return
  entry=$(grep "/$1\.ko:" "$modules/modules.dep") || { echo "FAIL no module $1" >>"$results"; return; }
  local deps i
  read -ra deps <<<"${entry#*:}"
  for ((i = ${#deps[@]} - 1; i >= 0; i--)); do insmod "$modules/${deps[i]}" 2>/dev/null; done
  insmod "$modules/${entry%%:*}" 2>/dev/null
}
for module in loop isofs udf vfat nls_cp437 nls_iso8859-1 nls_utf8; do load "$module"; done
for kind in iso9660 udf vfat; do
  grep -qw "$kind" /proc/filesystems || echo "FAIL $kind not available in the guest" >>"$results"
done

export DRIVE_LOG=$work/drive.log CDINST_TRANSCRIPT=$work/transcript.jsonl
export CDINST_PREFIX=$work/prefix CDINST_ANSWER=yes TMPDIR=$work
mkdir -p "$CDINST_PREFIX/drive_c/DUDERUR"
cat >"$CDINST_PREFIX/system.reg" <<'EOF'
WINE REGISTRY Version 2
;; All keys relative to \\Machine

#arch=win64

[Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion] 1700000000
"ProgramFilesDir"="C:\\Programas"
EOF
menu=$scratch/bin/cdinst-menu
cp "$scratch/tree.iso" "$work/disc.iso"

# Installs EDITOR from medium $1 and checks the result; $2 is the drive D: cdinst must get.
install_from() {
  local medium=$1 drive=$2 problems=() status lines
  rm -rf "$CDINST_PREFIX/drive_c/Programas" "$CDINST_PREFIX/drive_c/DUDERUR/INDICE2.CD" \
    "$CDINST_TRANSCRIPT" "$DRIVE_LOG"
  timeout 60 "$menu" "$medium" EDITOR 1 >"$work/out" 2>"$work/err"
  status=$?
  ((status == 0)) || problems+=("exit $status")
  [[ -s $work/err ]] && problems+=("stderr: $(head -c 300 "$work/err")")
  [[ $(cat "$DRIVE_LOG" 2>/dev/null) == "$drive" ]] ||
    problems+=("drive D: was '$(cat "$DRIVE_LOG" 2>/dev/null)', not '$drive'")
  # The disc hides OCULTO.TXT, which the kernel's mount shows.
  diff -r -x OCULTO.TXT "$scratch/tree/PROGS/EDITOR" "$CDINST_PREFIX/drive_c/Programas/Editor" \
    >"$work/diff" 2>&1 || problems+=("tree differs: $(head -c 300 "$work/diff")")
  [[ -e $CDINST_PREFIX/drive_c/Programas/Editor/OCULTO.TXT ]] && problems+=("hidden file installed")
  grep -q '"text":"Cópia Concluída"' "$CDINST_TRANSCRIPT" 2>/dev/null ||
    problems+=("no 'Cópia Concluída' box")
  lines=$(grep -c '' "$CDINST_PREFIX/drive_c/DUDERUR/INDICE2.CD" 2>/dev/null)
  [[ $lines == 1 ]] || problems+=("INDICE2.CD has ${lines:-no} lines")
  ((${#problems[@]} == 0)) || { printf '%s; ' "${problems[@]}"; return 1; }
}

# Runs check $1 (a function) and records its verdict; devices and mounts go after each.
check() {
  local reason
  if reason=$("$1" 2>&1); then
    echo "PASS $1" >>"$results"
  else
    echo "FAIL $1: ${reason//$'\n'/ }" >>"$results"
  fi
  for point in "$mnt"/*; do umount -q "$point" 2>/dev/null; done
  losetup -D
  rm -rf "${mnt:?}"/* "$work"/*.img
}

mount_at() {  # $1 device, $2 mount point
  mkdir -p "$2" && mount -t iso9660 -o ro "$1" "$2"
}

plain_loop_mount() {
  local dev
  dev=$(losetup -f --show "$work/disc.iso") && mount_at "$dev" "$mnt/cd" &&
    install_from "$mnt/cd" "$work/disc.iso"
}

mount_option_loop() {
  mkdir -p "$mnt/cd" && mount -t iso9660 -o ro,loop "$work/disc.iso" "$mnt/cd" &&
    install_from "$mnt/cd" "$work/disc.iso"
}

# The backing file starts with the decoy: reading it from byte 0 installs the decoy's tree.
loop_with_offset() {
  local dev
  cp "$scratch/decoy.iso" "$work/both.img" && truncate -s 1M "$work/both.img" &&
    cat "$work/disc.iso" >>"$work/both.img" &&
    dev=$(losetup -f --show -o 1048576 "$work/both.img") && mount_at "$dev" "$mnt/cd" &&
    install_from "$mnt/cd" "$dev"
}

loop_with_size_limit() {
  local dev
  dev=$(losetup -f --show --sizelimit "$(stat -c %s "$work/disc.iso")" "$work/disc.iso") &&
    mount_at "$dev" "$mnt/cd" && install_from "$mnt/cd" "$dev"
}

# The decoy takes the deleted image's name: only the device still holds the disc.
image_deleted_while_mounted() {
  local dev
  cp "$work/disc.iso" "$work/gone.iso" && dev=$(losetup -f --show "$work/gone.iso") &&
    mount_at "$dev" "$mnt/cd" && rm "$work/gone.iso" && cp "$scratch/decoy.iso" "$work/gone.iso" &&
    install_from "$mnt/cd" "$dev"
}

unmounted_loop_device() {
  local dev
  dev=$(losetup -f --show "$work/disc.iso") && install_from "$dev" "$dev"
}

# mountinfo escapes the spaces; no Windows path holds the colon.
awkward_names() {
  local dev
  cp "$work/disc.iso" "$work/Disco 1.iso" && dev=$(losetup -f --show "$work/Disco 1.iso") &&
    mount_at "$dev" "$mnt/Jogos: Vol 1" && install_from "$mnt/Jogos: Vol 1" "$work/Disco 1.iso"
}

list_of_mounted_disc() {
  local dev
  dev=$(losetup -f --show "$work/disc.iso") && mount_at "$dev" "$mnt/cd" &&
    timeout 60 "$menu" --list "$mnt/cd" >"$work/out" || return 1
  grep -q $'^EDITOR\t' "$work/out" || { echo "listing: $(head -c 300 "$work/out")"; return 1; }
}

# A FAT file system at $2, made in the image $1: no links, no extended attributes, no files made
# without a name first, and names the kernel finds in any letter case.
mount_fat() {
  truncate -s 16M "$1" && mkfs.vfat -n PENDRIVE "$1" >/dev/null && mkdir -p "$2" &&
    mount -t vfat -o loop,utf8 "$1" "$2"
}

# The disc copied to a USB stick, the copy's hidden file left out: a folder, which needs no
# drive D:.
medium_on_fat_stick() {
  mount_fat "$work/stick.img" "$mnt/stick" && cp -r "$scratch/tree/." "$mnt/stick/" &&
    rm "$mnt/stick/PROGS/EDITOR/OCULTO.TXT" && install_from "$mnt/stick" ""
}

# Marks OCULTO.TXT hidden in the UDF image $1: the hidden bit of its file identifier, and the
# checksums and CRCs of that descriptor and of the file entry it may be embedded in.
hide_in_udf() {
  python3 - "$1" <<'PY'
import binascii, struct, sys
path = sys.argv[1]
image = bytearray(open(path, "rb").read())
def seal(at):
    length = struct.unpack_from("<H", image, at + 10)[0]
    struct.pack_into("<H", image, at + 8, binascii.crc_hqx(bytes(image[at + 16:at + 16 + length]), 0))
    image[at + 4] = sum(image[at:at + 4] + image[at + 5:at + 16]) & 0xFF
name = b"\x08OCULTO.TXT"
hidden = 0
found = image.find(name)
while found >= 0:
    for used in range(256):  # the implementation-use bytes before the name
        at = found - 38 - used
        tag, = struct.unpack_from("<H", image, at)
        if tag == 257 and image[at + 19] == len(name) and image[at + 36] + 256 * image[at + 37] == used:
            image[at + 18] |= 1
            seal(at)
            block = at - at % 2048
            if struct.unpack_from("<H", image, block)[0] in (261, 266):
                seal(block)
            hidden += 1
            break
    found = image.find(name, found + 1)
if hidden != 1:
    sys.exit(f"{hidden} identifiers of OCULTO.TXT")
open(path, "wb").write(image)
PY
}

# A DVD with only a UDF file system, which the disc reader cannot read: Linux's udf driver shows
# it as Windows does, hidden files hidden, so the menu installs from the mount without a word.
# Filled while mounted for writing, then mounted as a DVD is.
udf_only_dvd() {
  truncate -s 16M "$work/dvd.img" && mkudffs -m hd -b 2048 -l DVD "$work/dvd.img" >/dev/null &&
    mkdir -p "$mnt/dvd" && mount -t udf -o loop "$work/dvd.img" "$mnt/dvd" &&
    cp -r "$scratch/tree/." "$mnt/dvd/" && umount "$mnt/dvd" && hide_in_udf "$work/dvd.img" &&
    mount -t udf -o loop,ro "$work/dvd.img" "$mnt/dvd" && install_from "$mnt/dvd" ""
}

# Drive C: of another prefix on FAT, installed into from the disc.
destination_on_fat() {
  local dev
  export CDINST_PREFIX=$work/fat-prefix
  mkdir -p "$CDINST_PREFIX" && cp "$work/prefix/system.reg" "$CDINST_PREFIX/" &&
    ln -sfn "$mnt/c" "$CDINST_PREFIX/drive_c" && mount_fat "$work/c.img" "$mnt/c" &&
    mkdir "$mnt/c/DUDERUR" && dev=$(losetup -f --show "$work/disc.iso") &&
    mount_at "$dev" "$mnt/cd" && install_from "$mnt/cd" "$work/disc.iso"
}

for name in plain_loop_mount mount_option_loop loop_with_offset loop_with_size_limit \
  image_deleted_while_mounted unmounted_loop_device awkward_names list_of_mounted_disc \
  udf_only_dvd medium_on_fat_stick destination_on_fat; do
  check "$name"
done
umount "$work"
echo END >>"$results"
