# bash completion for zandolet-cli
_zandolet_cli()
{
    local cur=${COMP_WORDS[COMP_CWORD]} i command= kind= words=()
    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
        --settings) ((i++)) ;;
        --*) ;;
        *) if [[ -z $command ]]; then command=${COMP_WORDS[i]}; else words+=("${COMP_WORDS[i]}"); fi ;;
        esac
    done
    if [[ ${COMP_WORDS[COMP_CWORD-1]} == --settings ]]; then
        COMPREPLY=($(compgen -f -- "$cur"))
        return
    fi
    if [[ -z $command ]]; then
        COMPREPLY=($(compgen -W "list render check mail import rdap whois finger epp --settings --help --version" -- "$cur"))
        return
    fi
    local flags="--help"
    case $command in
    render) flags+=" --new --modify --delete --store" ;;
    check) flags+=" --new --modify --delete --network --cacert=" ;;
    mail) flags+=" --new --modify --delete --yes" ;;
    rdap) flags+=" --cacert=" ;;
    whois) flags+=" --server=" ;;
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
            # The record names of the kind: its files in the current directory.
            local IFS=$'\n' folder=${words[0]%s}s
            COMPREPLY=($(cd "$folder" 2>/dev/null && compgen -f -X '!*.ini' -- "$cur" | sed 's/\.ini$//'))
        fi
        ;;
    esac
} &&
    complete -F _zandolet_cli zandolet-cli
