# SPDX-FileCopyrightText: 2026 The Nuvrel developers
# SPDX-License-Identifier: GPL-3.0-or-later

# bash completion for nuvrel-cli                                  -*- shell-script -*-
# Commands, their options, the choices of --size, --format and --set, and file names where a
# command takes a file. tests/package checks it against the program's own --help.

# COMPREPLY: what compgen offers for the current word, one entry per line (names with spaces).
_nuvrel_cli_reply() {
    mapfile -t COMPREPLY < <(compgen "$@" -- "$cur")
}

_nuvrel_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]}
    local prev=${COMP_WORDS[COMP_CWORD - 1]}
    local valued=" --patch --patch-file --dat --size --chunk --format --to --from --set --device --wait-for --compare-chunk "

    # --option=value arrives as "--option" "=" "value" (= is a word break).
    if [[ $cur == "=" ]]; then
        cur=""
    elif [[ $prev == "=" && $COMP_CWORD -ge 2 ]]; then
        prev=${COMP_WORDS[COMP_CWORD - 2]}
    elif [[ $valued != *" $prev "* ]]; then
        prev=""
    fi

    # The command named so far: the words before the cursor that are subcommands, skipping
    # options and their values.
    local path="" word i
    for ((i = 1; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        if [[ $word == -* ]]; then
            if [[ $valued == *" $word "* && ${COMP_WORDS[i + 1]} != "=" ]]; then
                ((i++))
            fi
            continue
        fi
        [[ $word == "=" ]] && { ((i++)); continue; }
        case "$path/$word" in
        /info | /rom | /sram | /compat | /gg | /devices | /udev-rule | /doctor | \
            rom/write | rom/read | rom/verify | rom/header | rom/fix-checksum | rom/convert | \
            sram/read | sram/write | sram/clear | sram/convert | gg/encode | gg/decode)
            path=${path:+$path/}$word
            ;;
        esac
    done

    case $prev in
    --size) _nuvrel_cli_reply -W "capacity header" && return ;;
    --format | --from)
        # A read writes the layout it is given; everything else can also tell it from the file.
        local layouts="window compact odd-ff even-00 even-ff doubled"
        [[ $path == sram/read ]] || layouts="auto $layouts"
        _nuvrel_cli_reply -W "$layouts" && return
        ;;
    --to) _nuvrel_cli_reply -W "window compact odd-ff even-00 even-ff doubled" && return ;;
    --set) _nuvrel_cli_reply -W "16Velk+US 32Velk+U 32Velk+UF" && return ;;
    --chunk) _nuvrel_cli_reply -W "16 128 255" && return ;;
    --patch-file | --dat)
        compopt -o filenames 2>/dev/null
        _nuvrel_cli_reply -f
        return
        ;;
    --patch | --wait-for) return ;;
    --device)
        # The names nuvrel-cli devices lists first on each line.
        _nuvrel_cli_reply -W "$(nuvrel-cli devices 2>/dev/null | sed -n 's/^\([^ ]*\)  .*/\1/p')"
        return
        ;;
    esac

    local commands="" options="-h --help" files=0
    [[ -z $path ]] && options+=" --version"
    case $path in
    "") commands="info rom sram compat gg devices udev-rule doctor" ;;
    info) options+=" --json --device" ;;
    rom) commands="write read verify header fix-checksum convert" ;;
    rom/write) options+=" --patch --patch-file --dat --json --device --verify --fast-erase --each-device --wait-for --changed-only --watch --compare-chunk" files=1 ;;
    rom/read) options+=" --device --size --trim --chunk --dat --json" files=1 ;;
    rom/verify) options+=" --patch --patch-file --dat --json --device" files=1 ;;
    rom/header) options+=" --device --json" files=1 ;;
    rom/fix-checksum | rom/convert) files=1 ;;
    sram) commands="read write clear convert" ;;
    sram/read) options+=" --device --format" files=1 ;;
    sram/write) options+=" --device --no-verify --format" files=1 ;;
    sram/clear) options+=" --device" ;;
    sram/convert) options+=" --to --from" files=1 ;;
    compat) options+=" --set --device" ;;
    devices) options+=" --json --all-usb" ;;
    udev-rule | doctor) ;;
    gg) commands="encode decode" ;;
    esac

    if [[ $cur == -* ]]; then
        _nuvrel_cli_reply -W "$options"
    elif [[ -n $commands ]]; then
        _nuvrel_cli_reply -W "$commands"
    elif ((files)); then
        compopt -o filenames 2>/dev/null
        _nuvrel_cli_reply -f
    else
        COMPREPLY=()
    fi
}
complete -F _nuvrel_cli nuvrel-cli
