# bash completion for zandolet-cli
_zandolet_cli()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]} i command= kind= words=()
    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
        --settings) ((i++)) ;;
        # "--opt=value": bash splits it at "=" when "=" breaks words
        =) ((i++)) ;;
        --* | -?) ;;
        *) if [[ -z $command ]]; then command=${COMP_WORDS[i]}; else words+=("${COMP_WORDS[i]}"); fi ;;
        esac
    done
    # A file after --settings, and after "=" of --cacert= and --settings=, however bash split it.
    local option=
    if [[ $cur == = ]]; then
        option=$prev cur=
    elif [[ $prev == = ]]; then
        option=${COMP_WORDS[COMP_CWORD-2]}
    elif [[ $cur == --*=* ]]; then
        option=${cur%%=*} cur=${cur#*=}
    fi
    if [[ $prev == --settings || $option == --settings || $option == --cacert ]]; then
        local IFS=$'\n'
        COMPREPLY=($(compgen -f -- "$cur"))
        [[ $cur != "${COMP_WORDS[COMP_CWORD]}" && ${COMP_WORDS[COMP_CWORD]} != = ]] &&
            COMPREPLY=("${COMPREPLY[@]/#/$option=}")
        return
    fi
    [[ -n $option ]] && return
    if [[ -z $command ]]; then
        COMPREPLY=($(compgen -W "list render check mail import rdap whois finger epp settings help --settings --quiet --help --version" -- "$cur"))
        return
    fi
    local flags="--help --quiet --settings"
    case $command in
    help)
        COMPREPLY=($(compgen -W "list render check mail import rdap whois finger epp settings" -- "$cur"))
        return
        ;;
    list) flags+=" --json" ;;
    render) flags+=" --new --modify --delete --store --yes --utf-8" ;;
    check) flags+=" --new --modify --delete --network --cacert= --json" ;;
    mail) flags+=" --new --modify --delete --yes --cacert=" ;;
    import) flags+=" --trim --ignore-unknown --keys --delimiter= --encoding= --json" ;;
    rdap) flags+=" --cacert= --json" ;;
    whois) flags+=" --server= --cacert=" ;;
    finger) flags+=" --port=" ;;
    epp) flags+=" --new --modify --delete --yes --dry-run --network --ack --cacert=" ;;
    esac
    if [[ $cur == --* ]]; then
        COMPREPLY=($(compgen -W "$flags" -- "$cur"))
        return
    fi
    if [[ $command == epp ]]; then
        ((${#words[@]})) || { COMPREPLY=($(compgen -W "hello check info send poll" -- "$cur")); return; }
        [[ ${words[0]} == hello || ${words[0]} == poll ]] && return
        command=${words[0]} words=("${words[@]:1}")
    fi
    case ${#words[@]} in
    0)
        if [[ $command == rdap || $command == whois ]]; then
            COMPREPLY=()
        elif [[ $command == finger ]]; then
            # A host, or a user at one: the host names bash knows.
            local user=
            [[ $cur == *@* ]] && user=${cur%%@*}@
            COMPREPLY=($(compgen -P "$user" -A hostname -- "${cur#*@}"))
        elif [[ $command == list ]]; then
            COMPREPLY=($(compgen -W "domains hosts contacts" -- "$cur"))
        else
            COMPREPLY=($(compgen -W "domain host contact" -- "$cur"))
        fi
        ;;
    1)
        if [[ $command == import ]]; then
            COMPREPLY=($(compgen -f -X '!*.[cC][sS][vV]' -- "$cur") $(compgen -d -- "$cur"))
        elif [[ $command != list && $command != rdap && $command != whois && $command != finger ]]; then
            # The record names of the kind, its files in the current directory, quoted
            # for the shell: names hold blanks and quotes ("Renée O'Test").
            local IFS=$'\n' folder=${words[0]%s}s typed=$cur name
            typed=${typed#[\"\']}
            typed=${typed//\\/}
            COMPREPLY=()
            for name in $(cd "$folder" 2>/dev/null && compgen -f -X '!*.ini' -- "$typed" | sed 's/\.ini$//'); do
                COMPREPLY+=("$(printf '%q' "$name")")
            done
        fi
        ;;
    esac
} &&
    complete -F _zandolet_cli zandolet-cli
