# bash completion for sondrel-cli: commands, each command's options, formats and conversion
# kinds, lookup sources, drive numbers (asked of sondrel-cli itself, with the disc images and
# settings folder already on the line), setting names, folders and files.

# A word of the command line as the shell would pass it (a leading ~/, quotes around it,
# backslashes), worked out without running anything the word holds.
_sondrel_cli_word() {
    local w=$1
    [[ $w == \~/* ]] && w=$HOME/${w#\~/}
    [[ $w == \'*\' || $w == \"*\" ]] && w=${w:1:${#w}-2}
    printf '%s' "${w//\\/}"
}

_sondrel_cli() {
    local cur prev words cword split
    _init_completion -s || return

    # The command is the first word that is neither a global option nor its value; the global
    # options are kept to ask sondrel-cli for the drives they make.
    local i command="" global=() program
    program=$(_sondrel_cli_word "${words[0]}")
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
        --config-dir | --disc-image)
            global+=("${words[i]}" "$(_sondrel_cli_word "${words[i + 1]}")")
            ((i++))
            ;;
        --config-dir=* | --disc-image=*)
            global+=("${words[i]%%=*}" "$(_sondrel_cli_word "${words[i]#*=}")")
            ;;
        -*) ;;
        *)
            command=${words[i]}
            break
            ;;
        esac
    done

    case $prev in
    --config-dir | --out)
        _filedir -d
        return
        ;;
    --disc-image)
        _filedir '@(cue|toc|nrg)'
        return
        ;;
    --format)
        # A list of formats: the one after the last comma is completed.
        local done=""
        [[ $cur == *,* ]] && done=${cur%,*},
        COMPREPLY=($(compgen -P "$done" -W 'mp3 wav ogg wma flac ape opus aac m4a alac' -- "${cur##*,}"))
        compopt -o nospace
        return
        ;;
    --to)
        COMPREPLY=($(compgen -W 'mp3 wav ogg wma flac ape opus aac m4a alac' -- "$cur"))
        return
        ;;
    --kind)
        COMPREPLY=($(compgen -W 'wav2mp3 wav2ogg wav2wma wav2flac wav2ape mp32wav wma2wav
            mp32wma wma2mp3' -- "$cur"))
        return
        ;;
    --source)
        COMPREPLY=($(compgen -W 'cddb musicbrainz musicbrainz,cddb' -- "$cur"))
        return
        ;;
    --replaygain)
        COMPREPLY=($(compgen -W 'off track album' -- "$cur"))
        return
        ;;
    --drive)
        local drives
        drives=$("$program" "${global[@]}" drives 2>/dev/null | cut -f1)
        COMPREPLY=($(compgen -W "$drives" -- "$cur"))
        return
        ;;
    --set)
        local keys
        keys=$("$program" "${global[@]}" settings 2>/dev/null | sed 's/=.*/=/')
        COMPREPLY=($(compgen -W "$keys" -- "$cur"))
        compopt -o nospace
        return
        ;;
    --tracks | --name-template | --normalize | --title | --track-artist | --artist | \
        --album-artist | --album | --year | --genre | --disc | --comment | --offset | --speed | \
        --jobs | \
        --server | --script | --proxy | --timeout | --track)
        return # a value of the user's own
        ;;
    esac
    $split && return

    local options
    case $command in
    "")
        if [[ $cur == -* ]]; then
            COMPREPLY=($(compgen -W '--config-dir --disc-image --help --version' -- "$cur"))
        else
            COMPREPLY=($(compgen -W 'info settings drives tracks rip convert lookup verify
                wma-formats play' -- "$cur"))
        fi
        return
        ;;
    info)
        _filedir
        return
        ;;
    settings) options='--set' ;;
    drives) options='' ;;
    tracks) options='--drive' ;;
    rip)
        options='--drive --tracks --format --out --name-template --keep-wav --normalize --title
            --track-artist --artist --album-artist --album --year --genre --disc --comment
            --overwrite --skip-existing --secure --verify-first --offset --speed
            --replaygain'
        ;;
    convert) options='--kind --to --out --overwrite --skip-existing --jobs --replaygain' ;;
    lookup)
        options='--drive --source --server --script --proxy --no-proxy --timeout --save'
        ;;
    verify) options='--drive --offset --server' ;;
    wma-formats) options='--vbr' ;;
    play) options='--drive --track' ;;
    *) return ;;
    esac

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
    elif [[ $command == convert ]]; then
        _filedir
    elif [[ $command == verify ]]; then
        _filedir -d
    fi
} &&
    complete -F _sondrel_cli sondrel-cli
