# bash completion for tarvo                                  -*- shell-script -*-
#
# The commands, their options and the global options come from the
# program's own help ("tarvo --help", "tarvo COMMAND --help"), so the
# completion follows the program it completes. The NAMEs of "send" are
# file-name patterns matched against the list of the shares, which only a
# connection could tell, so they are left to the user; the SESSIONs of
# "--session" are those that "tarvo sessions" lists for the configuration
# that the line names.

# The help text of the program being completed; empty when it cannot run.
_tarvo_help()
{
    "$_tarvo_program" "$@" --help 2>/dev/null
}

# The commands of "tarvo --help": the first word of each line under "Commands:".
_tarvo_commands()
{
    _tarvo_help | sed -n '/^Commands:$/,/^$/{/^  [a-z]/p}' | awk '{print $1}'
}

# The global options of "tarvo --help".
_tarvo_global_options()
{
    _tarvo_help | sed -n '/^Options:$/,/^$/{s/^  \(--[a-z-]*\).*/\1/p}'
}

# The names of the sessions, one per line. No terminal to ask on: a missing
# configuration file gives none instead of a question.
_tarvo_sessions()
{
    "$_tarvo_program" "${_tarvo_config[@]}" sessions </dev/null 2>/dev/null | cut -f1
}

# The words of a command's synopsis after its name:
# "Usage: tarvo [--config FILE] [--root DIR] send [--yes | --no] ..." gives
# "[--yes | --no] ...".
_tarvo_synopsis()
{
    _tarvo_help "$1" | sed -n "1s/^Usage: .*\] $1//p"
}

_tarvo()
{
    local cur="${COMP_WORDS[COMP_CWORD]}"
    local prev=""
    if ((COMP_CWORD > 0)); then
        prev="${COMP_WORDS[COMP_CWORD - 1]}"
    fi
    # Bash splits "--config=FILE" into "--config", "=" and "FILE".
    if [ "$prev" = "=" ] && ((COMP_CWORD > 1)); then
        prev="${COMP_WORDS[COMP_CWORD - 2]}"
    fi
    local _tarvo_program="${COMP_WORDS[0]}"
    local _tarvo_config=()
    COMPREPLY=()

    # A global option's value: --config takes a file, --root a folder.
    case "$prev" in
        --config)
            compopt -o filenames 2>/dev/null || true
            mapfile -t COMPREPLY < <(compgen -f -- "$cur")
            return
            ;;
        --root)
            compopt -o filenames 2>/dev/null || true
            mapfile -t COMPREPLY < <(compgen -d -- "$cur")
            return
            ;;
    esac
    case "$cur" in
        --config=*)
            compopt -o filenames 2>/dev/null || true
            mapfile -t COMPREPLY < <(compgen -f -- "${cur#--config=}")
            return
            ;;
        --root=*)
            compopt -o filenames 2>/dev/null || true
            mapfile -t COMPREPLY < <(compgen -d -- "${cur#--root=}")
            return
            ;;
    esac

    # The command is the first word that is neither a global option nor its value.
    local i command="" command_at=0
    for ((i = 1; i < COMP_CWORD; i++)); do
        case "${COMP_WORDS[i]}" in
            --config | --root)
                local option="${COMP_WORDS[i]}"
                i=$((i + 1))
                if [ "${COMP_WORDS[i]-}" = "=" ]; then
                    i=$((i + 1))
                fi
                if [ "$option" = --config ]; then
                    _tarvo_config=(--config "${COMP_WORDS[i]-}")
                fi
                ;;
            --config=*) _tarvo_config=("${COMP_WORDS[i]}") ;;
            -*) ;;
            *)
                command="${COMP_WORDS[i]}"
                command_at=$i
                break
                ;;
        esac
    done

    if [ -z "$command" ]; then
        if [[ "$cur" == -* ]]; then
            mapfile -t COMPREPLY < <(compgen -W "$(_tarvo_global_options)" -- "$cur")
        else
            mapfile -t COMPREPLY < <(compgen -W "$(_tarvo_commands)" -- "$cur")
        fi
        return
    fi

    local synopsis
    synopsis="$(_tarvo_synopsis "$command")"
    if [ "$prev" = --session ] || [[ "$cur" == --session=* ]]; then
        local name typed="${cur#--session=}"
        while IFS= read -r name; do
            if [[ "$name" == "$typed"* ]]; then
                COMPREPLY+=("$(printf '%q' "$name")")
            fi
        done < <(_tarvo_sessions)
    elif [[ "$cur" == -* ]]; then
        # The command's options not given yet; --yes and --no exclude each other.
        local options=() option word taken
        for option in $(grep -o -- '--[a-z-]*' <<<"$synopsis") --help; do
            taken=""
            for word in "${COMP_WORDS[@]:command_at+1:COMP_CWORD-command_at-1}"; do
                case "$option/$word" in
                    --session/*) ;; # given once for each session
                    "$word/$word" | --yes/--no | --no/--yes) taken=1 ;;
                esac
            done
            if [ -z "$taken" ]; then
                options+=("$option")
            fi
        done
        mapfile -t COMPREPLY < <(compgen -W "${options[*]}" -- "$cur")
    elif ((COMP_CWORD == command_at + 1)); then
        # A command with words of its own ("config show") takes one of them first.
        local words=() word subcommands=()
        read -ra words <<<"$synopsis"
        for word in "${words[@]}"; do
            [[ "$word" =~ ^[a-z]+$ ]] || break
            subcommands+=("$word")
        done
        mapfile -t COMPREPLY < <(compgen -W "${subcommands[*]}" -- "$cur")
    fi
}

complete -F _tarvo tarvo
