# Sourced by the scripts: installs, with apt-get (Debian, as root), the packages whose probe
# is missing. Each argument is "probe:package", the probe a command, or an absolute path or
# path pattern; the package may name an architecture ("wine32:i386"), which is added first.
# A first argument --no-recommends installs them without the packages they recommend (for
# devscripts, say, whose recommendations run to hundreds of megabytes).
require() {
  local missing=() requirement probe package options=()
  if [[ ${1-} == --no-recommends ]]; then
    options=(--no-install-recommends)
    shift
  fi
  for requirement in "$@"; do
    probe=${requirement%%:*}
    package=${requirement#*:}
    if [[ $probe == /* ]]; then
      compgen -G "$probe" >/dev/null || missing+=("$package")
    else
      command -v "$probe" >/dev/null || missing+=("$package")
    fi
  done
  ((${#missing[@]})) || return 0
  echo "installing: ${missing[*]}"
  if [[ " ${missing[*]} " == *:i386* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${options[@]}" "${missing[@]}"
}
