#!/usr/bin/env bash
# The manual page renders without a warning, and its COMMANDS section holds
# exactly the commands that the program's own help lists.
# Usage: ManPageTest.sh PAGE TARVO
set -euo pipefail
page="$1"
tarvo="$2"

warnings="$(groff -man -ww -z -Tutf8 "$page" 2>&1)"
if [ -n "$warnings" ]; then
    echo "groff warns about $page:"
    echo "$warnings"
    exit 1
fi
warnings="$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)"
if [ -n "$warnings" ]; then
    echo "man warns about $page:"
    echo "$warnings"
    exit 1
fi

# "tarvo --help" lists one command a line under "Commands:", up to a blank line.
listed="$("$tarvo" --help | sed -n '/^Commands:$/,/^$/{/^  [a-z]/p}' | awk '{print $1}' | sort)"
if [ -z "$listed" ]; then
    echo "tarvo --help lists no commands"
    exit 1
fi
# The page's COMMANDS section, as text: each entry's tag stands 7 columns in.
documented="$(groff -man -Tascii -P-cbou "$page" |
    sed -n '/^COMMANDS$/,/^[A-Z]/{/^       [a-z]/p}' | awk '{print $1}' | sort -u)"
if [ "$listed" != "$documented" ]; then
    echo "the commands of tarvo --help (<) and those of $page (>) differ:"
    diff <(echo "$listed") <(echo "$documented") || true
    exit 1
fi

# Every global option of the help is on the page too.
for option in $("$tarvo" --help | sed -n '/^Options:$/,/^$/p' | grep -o -- '--[a-z-]*'); do
    if ! groff -man -Tascii -P-cbou "$page" | grep -q -- "^       $option\b\|^       -h, $option\b"; then
        echo "$page does not describe the option $option"
        exit 1
    fi
done
echo "manual page: renders cleanly and names every command and option: $(echo $listed)"
