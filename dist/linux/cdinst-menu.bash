# bash completion for cdinst-menu: the medium (a directory, a disc image or a drive letter),
# then the sections and variants that `cdinst-menu --list <medium>` shows.

# Prints the fields of the medium's choices: the sections, or with a section the variants of
# that section (letter case ignored, as cdinst-menu takes it).
_cdinst_menu_choices() {
  local medium=$1 section=${2-}
  # Through the environment: awk -v would read backslashes in the name as escapes.
  cdinst-menu --list "$medium" 2>/dev/null |
    section=$section awk -F '\t' '
      ENVIRON["section"] == "" && !seen[$1]++ { print $1 }
      ENVIRON["section"] != "" && toupper($1) == toupper(ENVIRON["section"]) { print $2 }'
}

_cdinst_menu() {
  local cur prev words cword
  _init_completion -n : || return
  local arguments=("${words[@]:1:cword-1}")
  if ((cword == 1)) && [[ $cur == -* ]]; then
    mapfile -t COMPREPLY < <(compgen -W '--list' -- "$cur")
    return
  fi
  if ((cword == 1)) || [[ $cword == 2 && ${arguments[0]} == --list ]]; then
    _filedir '@(iso|cue|bin|img)'
    return
  fi
  [[ ${arguments[0]} != --list ]] && ((cword <= 3)) || return
  local medium
  medium=$(dequote "${arguments[0]}")
  [[ $medium == '~'* ]] && __expand_tilde_by_ref medium
  local section=
  ((cword == 3)) && section=$(dequote "${arguments[1]}")
  local choice
  while IFS= read -r choice; do
    [[ $choice == "$cur"* ]] && COMPREPLY+=("$(printf '%q' "$choice")")
  done < <(_cdinst_menu_choices "$medium" "$section")
} &&
  complete -F _cdinst_menu cdinst-menu
