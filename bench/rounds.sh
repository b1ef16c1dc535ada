# shellcheck shell=bash
# Rounds and their figures, sourced by run.sh. Every timed section runs once
# a round, ours and theirs back to back so that both meet the same load; a
# figure is the median over the rounds, shown with its spread (min-max), and
# a ratio is the median of the rounds' own ratios, not a ratio of medians.
# What else ran on the machine is noted per round: the load average at its
# start, and the CPU that processes outside this run took during it.

declare -A samples last
figures=() # in the order first recorded
round_loads=()
clock_ticks=$(getconf CLK_TCK)

# Adds VALUE to the samples of figure NAME.
record() {
    [[ -v "samples[$1]" ]] || figures+=("$1")
    samples[$1]+="$2 "
    last[$1]=$2
}

# Records figure NAME as this round's A / B, two figures of the same round.
record_ratio() {
    record "$1" "$(awk -v a="${last[$2]}" -v b="${last[$3]}" 'BEGIN { printf "%.3f", a / b }')"
}

# Microseconds to milliseconds, one decimal.
us_to_ms() {
    awk -v us="$1" 'BEGIN { printf "%.1f", us / 1000 }'
}

# Milliseconds of one run of "$@", output dropped.
time_ms() {
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s%N)
    us_to_ms $(((end - start) / 1000))
}

# "median min max" of figure NAME, divided by DIVISOR (default 1); times in
# ms get one decimal, seconds three, MB none, everything else two.
stats() {
    local name="$1" divisor="${2:-1}" format="%.2f"
    [[ $name == *_ms ]] && format="%.1f"
    [[ $name == *_mb ]] && format="%.0f"
    ((divisor == 1)) || format="%.3f"
    # shellcheck disable=SC2086
    printf '%s\n' ${samples[$name]} | sort -g | awk -v d="$divisor" -v f="$format" '
        { a[NR] = $1 / d }
        END {
            m = (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2
            printf f " " f " " f "\n", m, a[1], a[NR]
        }'
}

# "median (min–max)" of figure NAME, for the report.
show() {
    [[ -v "samples[$1]" ]] || { echo "n/a"; return; }
    local median min max
    read -r median min max < <(stats "$@")
    if [[ $min == "$max" ]]; then echo "$median"; else echo "$median ($min–$max)"; fi
}

# Busy CPU ticks of all cores, and of this run's commands that have ended.
ticks_all() { awk '/^cpu / { print $2 + $3 + $4 + $7 + $8 + $9; exit }' /proc/stat; }
ticks_ours() { awk '{ sub(/^.*\) /, ""); print $12 + $13 + $14 + $15 }' "/proc/$$/stat"; }

round_start() {
    local load
    load=$(cut -d' ' -f1 /proc/loadavg)
    round_loads+=("$load")
    record load_1min "$load"
    echo "round $1/$rounds: load $load at the start"
    round_began=$(date +%s%N) round_all=$(ticks_all) round_ours=$(ticks_ours)
}

# Cores' worth of CPU that others took during the round: all busy time less
# that of this run's commands (a child still running, such as the --busy
# loop, counts as another's, and so does the FUSE daemon of a FAT32 disk).
round_end() {
    local seconds others
    seconds=$(awk -v ns=$(($(date +%s%N) - round_began)) 'BEGIN { print ns / 1e9 }')
    others=$(awk -v all=$(($(ticks_all) - round_all)) -v ours=$(($(ticks_ours) - round_ours)) \
        -v s="$seconds" -v hz="$clock_ticks" 'BEGIN { o = (all - ours) / hz / s; printf "%.2f", o < 0 ? 0 : o }')
    record others_cores "$others"
    echo "round $1/$rounds: done in $(printf '%.0f' "$seconds") s, others took $others cores meanwhile"
}

# One line naming the rounds whose start saw a load above 1, if any.
load_warning() {
    local i high=()
    for i in "${!round_loads[@]}"; do
        if awk -v l="${round_loads[i]}" 'BEGIN { exit !(l > 1) }'; then
            high+=("round $((i + 1)) (${round_loads[i]})")
        fi
    done
    ((${#high[@]})) || return 0
    local joined
    printf -v joined '%s, ' "${high[@]}"
    echo "warning: load above 1 at the start of ${joined%, }; the figures may be skewed" \
        "(the 1-minute average also carries this run's previous round: others_cores tells what others took)"
}

# --busy: a spin loop on one core beside the bench for the whole of the
# rounds, to see how the figures hold up on a machine that is not idle. The
# loop also ends by itself once this run is gone, even killed with -9.
busy=0 busy_pid=""
start_busy() {
    ((busy)) || return 0
    bash -c 'while kill -0 "$1" 2>/dev/null; do for ((i = 0; i < 100000; i++)); do :; done; done' _ $$ &
    busy_pid=$!
    echo "busy: a spin loop (pid $busy_pid) keeps one core busy during all rounds"
}

stop_busy() {
    [[ -n $busy_pid ]] || return 0
    kill "$busy_pid" 2>/dev/null || true
    wait "$busy_pid" 2>/dev/null || true
    busy_pid=""
}

busy_note() {
    ((busy)) && echo ", ran busy: one core spinning beside the bench"
    return 0
}

# Every figure as "name median min max", times in ms unless named otherwise.
summary() {
    local name
    echo "summary: figure median min max$(busy_note)"
    for name in "${figures[@]}"; do echo "$name $(stats "$name")"; done
}
