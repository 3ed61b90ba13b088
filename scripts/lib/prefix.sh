# Sourced by the scripts: lays out a fresh Wine-style prefix with the sample medium.
#
#   sample_prefix <dir> [medium name]
#
# makes <dir>/medium (or <dir>/<medium name>), a copy of examples/medium, and <dir>/prefix: drive C: is drive_c (with
# DUDERUR, so installs are recorded, and windows\system32), drive D: the medium, and
# system.reg gives "ProgramFilesDir". Whatever was in <dir> goes.
sample_prefix() {
  local dir=$1 name=${2:-medium} source
  source=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../examples/medium" && pwd)
  rm -rf "$dir"
  mkdir -p "$dir/prefix/dosdevices" "$dir/prefix/drive_c/DUDERUR" \
    "$dir/prefix/drive_c/windows/system32"
  dir=$(cd "$dir" && pwd)
  cp -r "$source" "$dir/$name"
  chmod a-w "$dir/$name/PROGS/EDITOR/LEIAME.TXT"  # read-only on the medium, as on a CD
  ln -s ../drive_c "$dir/prefix/dosdevices/c:"
  ln -s "$dir/$name" "$dir/prefix/dosdevices/d:"
  cat >"$dir/prefix/system.reg" <<'REG'
WINE REGISTRY Version 2
;; All keys relative to \\Machine

#arch=win32

[Software\\Microsoft\\Windows\\CurrentVersion] 1700000000
#time=1da0000000000000
"ProgramFilesDir"="C:\\Arquivos de programas"
REG
}
