#!/usr/bin/env bash
# The manual page and the bash completion of mechanon-cli offer what the program accepts: every
# command, and for each command exactly the options it takes, learnt from the program itself.
#   cli_docs_test.sh CLI MANUAL_PAGE COMPLETION
set -uo pipefail
cli=$1 manual=$2 completion=$3
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
sorted() { tr ' ' '\n' | sed '/^$/d' | sort -u | tr '\n' ' '; }

# The commands are the first words of the usage text's command lines.
commands=$("$cli" --help | sed -n 's/^  \([a-z][a-z]*\) .*/\1/p' | sorted)
[ -n "$commands" ] || { echo "FAIL: no commands in mechanon-cli --help" >&2; exit 1; }
# Every option word the usage text, the manual page or the completion mentions.
candidates=$( { "$cli" --help; sed 's/\\-/-/g' "$manual"; cat "$completion"; } |
  grep -o -- '--[a-z][a-z-]*\|-o\b' | grep -v -x -- '--help\|--version' | sorted)

# An option the command does not take is refused as such; one it takes is not.
accepts() {
  local said
  said=$("$cli" "$1" /nonexistent "$2" 1 2>&1 >/dev/null)
  [[ $said != *"has no option $2"* ]]
}
# The commands are asked side by side: each answer is a process of its own.
answers=$(mktemp -d)
trap 'rm -rf "$answers"' EXIT
for command in $commands; do
  for option in $candidates; do
    if accepts "$command" "$option"; then echo "$option"; fi
  done >"$answers/$command" &
done
wait
declare -A options
for command in $commands; do
  options[$command]=$(sorted <"$answers/$command")
done

# The manual page: each command's synopsis names its options, and each has an entry of its own.
page=$(sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' -e 's/\\ / /g' "$manual")
for command in $commands; do
  synopsis=$(echo "$page" | awk -v c="$command" '
    /^\.SY "mechanon-cli / { on = ($3 == c "\"") } on && /^\.YS$/ { on = 0 } on')
  [ -n "$synopsis" ] || { fail "the manual page has no synopsis for $command"; continue; }
  named=$(echo "$synopsis" | grep -o -- '--[a-z][a-z-]*\|-o\b' | sorted)
  want=${options[$command]}
  [ "$named" = "$want" ] ||
    fail "the manual page's synopsis of $command names \"$named\", the program takes \"$want\""
  echo "$page" | grep -A1 '^\.TP' | grep -q "^\.B $command\$" ||
    fail "the manual page has no entry for the command $command"
done
for option in $(echo "${options[*]}" | sorted); do
  echo "$page" | grep -A1 '^\.TP' | grep -q -- "^\.BI\? $option\( \|\$\)" ||
    fail "the manual page has no entry for the option $option"
done

# The completion, run as bash-completion runs it (its helpers stand in here).
_init_completion() {
  cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
  words=("${COMP_WORDS[@]}") cword=$COMP_CWORD
}
_filedir() { COMPREPLY=(FILE); }
# shellcheck source=/dev/null
source "$completion"
complete_words() {
  COMP_WORDS=("$@") COMP_CWORD=$(($# - 1)) COMPREPLY=()
  _mechanon_cli
  echo "${COMPREPLY[*]}" | sorted
}
offered=$(complete_words mechanon-cli "")
[ "$offered" = "$(echo "$commands --help --version" | sorted)" ] ||
  fail "the completion offers the commands \"$offered\", the program has \"$commands\""
for command in $commands; do
  offered=$(complete_words mechanon-cli "$command" robot.bot -)
  want=${options[$command]}
  [ "$offered" = "$want" ] ||
    fail "the completion offers \"$offered\" for $command, the program takes \"$want\""
done
[ "$(complete_words mechanon-cli scan /dev/ttyUSB0 --protocol "")" = "dynamixel feetech maestro " ] ||
  fail "the completion does not offer the scan protocols"

[ "$failures" -eq 0 ] && echo "the manual page and the completion cover: $commands"
exit $((failures > 0))
