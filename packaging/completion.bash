# shellcheck shell=bash
# bash completion for hexpane-export and hexpane-import: their options, the
# values the options take, and the files each place wants. bash-completion
# loads this file under each command's name.

_hexpane_export() {
    local cur prev words cword split
    _init_completion -s || return

    case $prev in
    -o | --output)
        _filedir -d
        return
        ;;
    --transparent)
        mapfile -t COMPREPLY < <(compgen -W 'form phone standard' -- "$cur")
        return
        ;;
    --format)
        mapfile -t COMPREPLY < <(compgen -W 'bmp png' -- "$cur")
        return
        ;;
    --map | --size)
        _filedir
        return
        ;;
    --sheet)
        _filedir '@(bmp|png)'
        return
        ;;
    --zoom)
        mapfile -t COMPREPLY < <(compgen -W '1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16' -- "$cur")
        return
        ;;
    --thumbnail)
        # the sizes of the shared thumbnail folders: normal, large, x-large, xx-large
        mapfile -t COMPREPLY < <(compgen -W '128 256 512 1024' -- "$cur")
        return
        ;;
    -h | --help | -v | --version)
        return
        ;;
    esac
    $split && return

    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W '-o --output --transparent --format --map --size --force --list
            --json --sheet --zoom --thumbnail -h --help -v --version' -- "$cur")
        return
    fi
    _filedir vkp
}
complete -F _hexpane_export hexpane-export

_hexpane_import() {
    local cur prev words cword split
    _init_completion -s || return

    case $prev in
    -o | --output)
        _filedir vkp
        return
        ;;
    --transparent)
        mapfile -t COMPREPLY < <(compgen -W 'form phone standard' -- "$cur")
        return
        ;;
    --map | --size)
        _filedir
        return
        ;;
    -h | --help | -v | --version)
        return
        ;;
    esac
    $split && return

    # The first argument that is neither an option nor an option's value is
    # the patch; the rest are images or folders of them. After "--" every
    # word is an argument.
    local i arguments=0 options=true
    for ((i = 1; i < cword; i++)); do
        if $options; then
            case ${words[i]} in
            --)
                options=false
                continue
                ;;
            -o | --output | --map | --size | --transparent)
                i=$((i + 1))
                continue
                ;;
            -*) continue ;;
            esac
        fi
        arguments=$((arguments + 1))
    done

    if $options && [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W '-o --output --map --size --transparent --nearest --dry-run --force
            -h --help -v --version' -- "$cur")
    elif ((arguments == 0)); then
        _filedir vkp
    else
        _filedir '@(bmp|png)'
    fi
}
complete -F _hexpane_import hexpane-import
