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

# Generates each locale named (such as "pt_BR.UTF-8") that the C library does not have yet,
# installing the locale sources (package locales) first when they are missing.
require_locales() {
  local name listed
  for name in "$@"; do
    # "pt_BR.UTF-8" is listed as "pt_BR.utf8", "pt_BR.ISO-8859-1" as "pt_BR.iso88591".
    listed=${name%%.*}.$(tr -d '-' <<<"${name#*.}" | tr '[:upper:]' '[:lower:]')
    locale -a | grep -qxF "$listed" && continue
    require "/usr/share/i18n/locales/${name%%.*}:locales"
    echo "generating the locale $name"
    localedef -i "${name%%.*}" -f "${name#*.}" "$name"
  done
}
