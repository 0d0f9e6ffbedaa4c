# SPDX-FileCopyrightText: 2026 The Nuvrel developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Sourced by scripts/demo and scripts/test to say where a run's time went: `phase NAME` ends the
# phase before it and starts NAME; `report_times` ends the last one and prints every phase and the
# total since this file was sourced.
phases=()
phase_start=$(date +%s.%N)
phase_name=""
phase_run_start=$phase_start

phase_seconds() {
    awk -v s="$1" -v e="$2" 'BEGIN { printf "%.1f", e - s }'
}

phase() {
    local now
    now=$(date +%s.%N)
    [ -z "$phase_name" ] || phases+=("$phase_name $(phase_seconds "$phase_start" "$now")")
    phase_name=$1
    phase_start=$now
}

report_times() {
    phase ""
    printf '\n== where the time went\n'
    local row
    for row in "${phases[@]}"; do
        # shellcheck disable=SC2086 # a row is "name seconds"
        printf '%-12s %7s s\n' $row
    done
    printf '%-12s %7s s\n' total "$(phase_seconds "$phase_run_start" "$(date +%s.%N)")"
}
