# Completion of mechanon-cli's commands, their options, option values and files.

_mechanon_cli_options() {
    case $1 in
    info) echo "--room --json" ;;
    urdf) echo "--room --unit -o" ;;
    stl) echo "--room --positions --joints --unit -o" ;;
    poses) echo "--room --positions --joints --unit --json" ;;
    ik) echo "--room --tip --target --positions --joints --unit --json" ;;
    import) echo "--package-path --unit -o" ;;
    expand) echo "" ;;
    retime) echo "--vmax --amax" ;;
    drive) echo "--room --simulate --max-error --period --watchdog --json" ;;
    scan) echo "--protocol --baud --last-id --json" ;;
    esac
}

_mechanon_cli() {
    local cur prev words cword
    _init_completion || return

    local commands="info urdf stl poses ik import expand retime drive scan --help --version"
    if [[ $cword -eq 1 ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$commands" -- "$cur")
        return
    fi

    local command=${words[1]}
    case $prev in
    --protocol)
        mapfile -t COMPREPLY < <(compgen -W "feetech dynamixel maestro" -- "$cur")
        return
        ;;
    --package-path)
        _filedir -d
        return
        ;;
    -o)
        if [[ $command == urdf ]]; then
            _filedir -d
        elif [[ $command == stl ]]; then
            _filedir stl
        else
            _filedir bot
        fi
        return
        ;;
    --room | --unit | --positions | --joints | --tip | --target | --vmax | --amax | \
        --max-error | --period | --watchdog | --baud | --last-id)
        return
        ;;
    esac

    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$(_mechanon_cli_options "$command")" -- "$cur")
        return
    fi
    case $command in
    import) _filedir urdf ;;
    expand | retime) _filedir txt ;;
    scan)
        mapfile -t COMPREPLY < <(compgen -f -- "${cur:-/dev/tty}")
        ;;
    *) _filedir bot ;;
    esac
}
complete -F _mechanon_cli mechanon-cli
