#!/usr/bin/env bash
# The bash completion, sourced into this shell and called as bash calls it,
# on the program it completes.
# Usage: BashCompletionTest.sh COMPLETION TARVO
set -euo pipefail
completion="$1"
tarvo="$2"
# shellcheck source=/dev/null
source "$completion" # under "set -euo pipefail": the function must work there too

folder="$(mktemp -d)"
trap 'rm -rf "$folder"' EXIT
mkdir "$folder/shares" "$folder/state"
touch "$folder/settings.txt" "$folder/state.txt"
printf '%s\n' '[Session]' \
    'Office=Net,Put,\\pc\docs,W,\Out,\,None,,alice,secret' \
    'Back Office=Net,Get,\\pc\docs,W,\In,\,None,,alice,secret' \
    'Reports=Net,Get,\\pc\reports,W,\In,\,None,,bob,secret' >"$folder/office.ini"
cd "$folder"

failures=0
# expect "WANTED REPLIES" WORD...: the replies, sorted and joined by blanks,
# when the cursor is on the last word.
expect()
{
    local wanted="$1"
    shift
    COMP_WORDS=("$tarvo" "$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    _tarvo
    local got
    got="$(printf '%s\n' "${COMPREPLY[@]}" | sed '/^$/d' | sort | tr '\n' ' ' | sed 's/ $//')"
    if [ "$got" != "$wanted" ]; then
        echo "tarvo $*<TAB>: wanted '$wanted', got '$got'"
        failures=$((failures + 1))
    fi
}

# The commands of the program's own table, and the global options before them.
expect "config list send sessions" ""
expect "send sessions" s
expect "--config --help --root --version" --
expect "send sessions" --config settings.txt --root shares s
# --config takes a file (or a folder on the way to one), --root a folder,
# also written with "=", which bash makes a word of its own.
expect "settings.txt shares state state.txt" --config s
expect "shares state" --root s
expect "shares state" --root = s
expect "shares state" --root=s
expect "send sessions" --config = settings.txt s
# Each command's own options and words; no global option after the command.
expect "show" config ""
expect "" config show ""
expect "--help --session" list --
expect "--dry-run --help --no --session --yes" --root shares send --
expect "--dry-run" send --d
# --yes and --no exclude each other, and no option but --session is offered twice.
expect "--dry-run --help --session" send --yes --
expect "--help --session" send --dry-run --no --dry-run -
expect "--dry-run --help --no --session --yes" send --session Office --
# --session takes the name of a session of the configuration the line names.
expect 'Back\ Office Office Reports' --config office.ini list --session ""
expect "Office" --config=office.ini send --yes --session O
expect "Reports" --config = office.ini send --session Office --session=R
expect "" --config missing.ini send --session ""
# send's NAMEs are patterns of the shares' file names: nothing is made up.
expect "" send --yes ""
expect "" send '*.c'
# A program that does not run offers nothing, and fails nothing.
tarvo="$folder/missing/tarvo"
expect "" ""

if [ "$failures" -ne 0 ]; then
    exit 1
fi
echo "bash completion: commands, options and their values complete as the program lists them"
