#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Nuvrel developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Checks the bash completion of nuvrel-cli against the program's own --help, so that neither can
# change without the other: at every command it offers exactly the subcommands and the options
# the help lists, and for an option that takes one of a set, exactly that set.
# Usage: bash_completion_test.sh COMPLETION_SCRIPT NUVREL_CLI
set -euo pipefail
completion=$(readlink -f "$1")
program=$(readlink -f "$2")
# shellcheck source=/dev/null
source "$completion"

failures=0
work=$(mktemp -d "${TMPDIR:-/tmp}/nuvrel-completion-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work" # file-name completion sees an empty folder

# What the completion offers for the words given, the last one being the word under the cursor.
offered() {
    COMP_WORDS=(nuvrel-cli "$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _nuvrel_cli
    [ ${#COMPREPLY[@]} -eq 0 ] || printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort
}
same() { # what, expected list, offered list
    if [ "$2" != "$3" ]; then
        echo "FAIL: $1" >&2
        diff <(printf '%s\n' "$2") <(printf '%s\n' "$3") | sed -n 's/^[<>]/  &/p' >&2 || true
        failures=$((failures + 1))
    fi
}

walk() {
    local help
    help=$("$program" "$@" --help)
    local shown="nuvrel-cli${*:+ $*}"
    # Option lines: "  -h,--help   ...", "  --size TEXT:{capacity,header}" (names before the type).
    local options
    options=$(printf '%s\n' "$help" | awk '/^ +-/ { n = split($1, names, ","); for (i = 1; i <= n; i++) print names[i] }' |
        LC_ALL=C sort)
    same "options of '$shown'" "$options" "$(offered "$@" -)"

    local line option choices
    while IFS= read -r line; do
        option=${line%% *}
        choices=$(printf '%s\n' "$line" | sed 's/.*:{\(.*\)}.*/\1/' | tr ',' '\n' | LC_ALL=C sort)
        same "values of $option in '$shown'" "$choices" "$(offered "$@" "$option" "")"
        same "values of $option= in '$shown'" "$choices" "$(offered "$@" "$option" "=" "")"
    done < <(printf '%s\n' "$help" | sed -n 's/^ *\(--[^ ]* [A-Z]*:{[^}]*}\).*/\1/p')

    local subcommands
    subcommands=$(printf '%s\n' "$help" |
        awk '/^[^ ].*:$/ { listing = ($0 == "Subcommands:"); next } listing && /^  [^ ]/ { print $1 }')
    if [ -n "$subcommands" ]; then
        same "subcommands of '$shown'" "$(printf '%s\n' "$subcommands" | LC_ALL=C sort)" "$(offered "$@" "")"
        # An option before the command does not hide where the command line is.
        local sub
        for sub in $subcommands; do
            walk "$@" "$sub"
        done
    else
        same "'$shown' offers no subcommand" "" "$(offered "$@" "")"
    fi
}
walk

# Values of options are not taken for commands: the value "rom" of --patch-file stays a file.
same "the value of --patch-file is not a command" "--dat" \
    "$(offered rom write --patch-file rom --da)"

if [ "$failures" -ne 0 ]; then
    echo "$failures difference(s) between the completion and --help" >&2
    exit 1
fi
echo "the completion offers what --help lists"
