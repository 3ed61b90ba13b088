# Sourced by the scripts: lays out Wine-style prefixes.
#
#   make_prefix <prefix> <medium>
#
# makes <prefix> with drive C: its drive_c (with DUDERUR, so installs are recorded, and
# windows\system32), drive D: the directory <medium>, and a system.reg that gives
# "ProgramFilesDir". Whatever was in <prefix> goes.
make_prefix() {
  local prefix=$1 medium
  medium=$(cd "$2" && pwd)
  rm -rf "$prefix"
  mkdir -p "$prefix/dosdevices" "$prefix/drive_c/DUDERUR" "$prefix/drive_c/windows/system32"
  ln -s ../drive_c "$prefix/dosdevices/c:"
  ln -s "$medium" "$prefix/dosdevices/d:"
  cat >"$prefix/system.reg" <<'REG'
WINE REGISTRY Version 2
;; All keys relative to \\Machine

#arch=win32

[Software\\Microsoft\\Windows\\CurrentVersion] 1700000000
#time=1da0000000000000
"ProgramFilesDir"="C:\\Arquivos de programas"
REG
}

#   sample_prefix <dir> [medium name]
#
# makes <dir>/medium (or <dir>/<medium name>), a copy of examples/medium, and <dir>/prefix over
# it, as make_prefix lays it out. Whatever was in <dir> goes.
sample_prefix() {
  local dir=$1 name=${2:-medium} source
  source=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../examples/medium" && pwd)
  rm -rf "$dir"
  mkdir -p "$dir"
  cp -r "$source" "$dir/$name"
  chmod a-w "$dir/$name/PROGS/EDITOR/LEIAME.TXT"  # read-only on the medium, as on a CD
  make_prefix "$dir/prefix" "$dir/$name"
}
