# bash completion for pathlet and pathlet-pdbgen.

# The users of the root the command line names (--root), else of $PATHLET_ROOT or the default one.
_pathlet_users() {
    local root="" i
    for ((i = 1; i < cword; i++)); do
        [[ ${words[i]} == --root ]] && root=${words[i + 1]}
    done
    local list=(users list) IFS=$'\n' name
    [[ -n $root ]] && list+=(--root "$root")
    COMPREPLY=()
    for name in $("${words[0]}" "${list[@]}" 2>/dev/null | cut -f2); do
        [[ $name == "$cur"* ]] && COMPREPLY+=("$(printf '%q' "$name")")
    done
}

_pathlet() {
    local cur prev words cword
    _init_completion 2>/dev/null || {
        cur=${COMP_WORDS[COMP_CWORD]}
        prev=${COMP_WORDS[COMP_CWORD-1]}
        words=("${COMP_WORDS[@]}")
        cword=$COMP_CWORD
    }
    local command="" sub="" i
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
        -*) ;;
        *) if [[ -z $command && ${words[i]} == help ]]; then
               : # "help CMD" completes as CMD does
           elif [[ -z $command ]]; then command=${words[i]}; elif [[ $command == users && -z $sub ]]; then sub=${words[i]}; fi ;;
        esac
    done
    case $prev in
    --handheld | --root | -o | --output | --serial)
        COMPREPLY=($(compgen -f -- "$cur")); compopt -o filenames 2>/dev/null; return ;;
    --baud) COMPREPLY=($(compgen -W "9600 19200 38400 57600 115200 230400" -- "$cur")); return ;;
    --log-format) COMPREPLY=($(compgen -W "text jsonl" -- "$cur")); return ;;
    --export) COMPREPLY=($(compgen -W "gpx geojson kml csv" -- "$cur")); return ;;
    --user) _pathlet_users; return ;;
    --format) COMPREPLY=($(compgen -W "gpx geojson kml csv" -- "$cur")); return ;;
    --sync-type) COMPREPLY=($(compgen -W "0 1 2 3 4 5 6 7 fast slow handheld-to-desktop desktop-to-handheld install backup nothing profile-install" -- "$cur")); return ;;
    --action) COMPREPLY=($(compgen -W "sync nothing" -- "$cur")); return ;;
    --codepage) COMPREPLY=($(compgen -W "874 932 936 949 950 1250 1251 1252 1253 1254 1255 1256 1257 1258" -- "$cur")); return ;;
    esac
    local options
    case $command in
    "") COMPREPLY=($(compgen -W "hotsync sync users configure info demo dump export plot help --help --version" -- "$cur")); return ;;
    sync) options="--listen --usb --serial --baud --once --root --log-format --add-users --quiet --codepage --export --timeout --max-size --help" ;;
    hotsync) options="--handheld --root --user --sync-type --log-format --codepage --wait --export --help" ;;
    users)
        case $sub in
        "") COMPREPLY=($(compgen -W "add list remove rename --help" -- "$cur")); return ;;
        add) options="--id --dir --root --help" ;;
        list) options="--root --help" ;;
        remove | rename)
            options="--root --help"
            [[ $cur != -* ]] && { _pathlet_users; return; } ;;
        esac ;;
    configure) options="--root --user --action --default --no-default --cancel --help" ;;
    info) options="--help" ;;
    demo) options="--root --help" ;;
    dump) options="--user --root --json --points --codepage --help" ;;
    export) options="--user --root --format -o --output --points --codepage --help" ;;
    plot) options="--user --root -o --output --track --codepage --help" ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
    else
        COMPREPLY=($(compgen -f -- "$cur"))
    fi
}

_pathlet_pdbgen() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
    case $prev in
    -o | --output) COMPREPLY=($(compgen -f -- "$cur")); return ;;
    esac
    case ${COMP_WORDS[1]} in
    describe) [[ $cur == -* ]] && COMPREPLY=($(compgen -W "-o --output --help" -- "$cur")) || COMPREPLY=($(compgen -f -- "$cur")) ;;
    synth) COMPREPLY=($(compgen -W "--logs --points --per-record --seed -o --output --help" -- "$cur")) ;;
    *) [[ $COMP_CWORD -eq 1 ]] && COMPREPLY=($(compgen -W "describe synth --help --version" -- "$cur")) ;;
    esac
}

complete -F _pathlet pathlet
complete -F _pathlet_pdbgen pathlet-pdbgen
