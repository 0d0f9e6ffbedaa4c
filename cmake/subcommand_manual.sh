#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Nuvrel developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Prints a help2man include file whose COMMANDS section holds the --help of every command of a
# CLI11 program that has subcommands, one subsection per runnable command ("prog rom write"), so
# the manual page says what `prog --help` leaves to `prog rom write --help`.
# Usage: subcommand_manual.sh PROGRAM OUTPUT
set -euo pipefail
program=$1
output=$2

# The names listed under "Subcommands:" in one --help text.
subcommands() {
    awk '/^[^ ].*:$/ { listing = ($0 == "Subcommands:"); next }
         listing && /^  [^ ]/ { print $1 }'
}

# One command's --help as roff: its usage line as the subsection title, its description, then
# each positional and option (but -h,--help, which every command has) as a tagged paragraph.
to_roff() {
    awk '
        function escape(text) {
            gsub(/\\/, "\\e", text)
            gsub(/-/, "\\-", text)
            return text
        }
        # Only the dashes of option names are minus signs; "64-byte" keeps its hyphen.
        function paragraph(text) {
            gsub(/\\/, "\\e", text)
            text = " " text
            gsub(/ --/, " \\-\\-", text)
            gsub(/ -/, " \\-", text)
            text = substr(text, 2)
            if (text ~ /^[.'\'']/) text = "\\&" text
            return text
        }
        function flush() {
            if (term != "" && term !~ /^-h,--help$/) {
                split(term, words, " ")
                rest = substr(term, length(words[1]) + 2)
                printf ".TP\n\\fB%s\\fR%s\n%s\n", escape(words[1]),
                    rest == "" ? "" : " " escape(rest), paragraph(text)
            }
            term = ""
            text = ""
        }
        !seen_usage && /^Usage: / {
            seen_usage = 1
            printf ".SS \"%s\"\n%s\n", escape(substr($0, 8)), paragraph(description)
            next
        }
        !seen_usage { description = description == "" ? $0 : description " " $0; next }
        /^[^ ].*:$/ { flush(); next }
        /^  [^ ]/ {
            flush()
            entry = substr($0, 3)
            if (match(entry, /  +/)) {
                term = substr(entry, 1, RSTART - 1)
                text = substr(entry, RSTART + RLENGTH)
            } else {
                term = entry
            }
            next
        }
        /^   +[^ ]/ {
            sub(/^ +/, "")
            text = text == "" ? $0 : text " " $0
            next
        }
        END { flush() }
    '
}

describe() {
    local help
    help=$("$program" "$@" --help)
    local -a nested
    mapfile -t nested < <(printf '%s\n' "$help" | subcommands)
    if [ ${#nested[@]} -eq 0 ]; then
        printf '%s\n' "$help" | to_roff
        return
    fi
    local sub
    for sub in "${nested[@]}"; do
        describe "$@" "$sub"
    done
}

{
    echo "[COMMANDS]"
    printf '%s\n' 'Each command takes \fB\-h\fR, \fB\-\-help\fR to print its own help.'
    describe
} >"$output.tmp"
mv "$output.tmp" "$output"
