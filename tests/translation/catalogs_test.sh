#!/usr/bin/env bash
# The catalogs against the sources: the template holds exactly the messages the code asks
# for, and every catalog translates each of them, none fuzzy, each with the placeholders of
# its English text.
set -uo pipefail
source_dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

"$source_dir/scripts/catalogs" --template "$work/current.pot" || fail "extracting the messages"
template=$source_dir/po/cdinst.pot
msgcmp --use-untranslated "$template" "$work/current.pot" ||
  fail "po/cdinst.pot lacks messages of the code: run scripts/catalogs"
msgcmp --use-untranslated "$work/current.pot" "$template" ||
  fail "po/cdinst.pot holds messages the code no longer has: run scripts/catalogs"

# The placeholders {1}..{9} of a text, one a line, sorted.
placeholders() { grep -o '{[1-9]}' | sort -u; }
export -f placeholders

for catalog in "$source_dir"/po/*.po; do
  msgfmt --check -o /dev/null "$catalog" || fail "$catalog: msgfmt --check"
  # Untranslated and fuzzy messages count as missing here.
  msgcmp "$catalog" "$work/current.pot" || fail "$catalog: messages missing or fuzzy"
  ! grep -q '^#,.*fuzzy' "$catalog" || fail "$catalog: fuzzy entries"
  msgexec -i "$catalog" bash -c '[[ -z $MSGEXEC_MSGID ]] ||
    diff <(placeholders <<<"$MSGEXEC_MSGID") <(placeholders)' >/dev/null ||
    fail "$catalog: a translation drops or adds a placeholder"
done

((failures == 0)) || exit 1
echo "catalogs: $(ls "$source_dir"/po/*.po | wc -l) complete"
