#!/usr/bin/env bash
# A whole harvest in the window (harvest_window_bench) beside grep baselines, on every corpus of
# the benchmark set: the address-harvesting pipeline grep | awk, and the bare count of '@' lines.
# The pipeline runs twice: with byte semantics (LC_ALL=C, the fastest grep can be) and in the
# UTF-8 locale a Debian machine starts with (C.UTF-8), where [[:alnum:]] takes in letters beyond
# ASCII as the harvest does. Each contender runs RUNS times (default 5); the median, the spread
# (lowest-highest) and the peak resident memory are printed, and the ratios of the medians.
#
# Usage: harvest_bench.sh BUILD_DIR [CORPUS...]
#   Without corpora: every BUILD_DIR/corpora/*.txt, built by make_corpus_set.sh when missing.
#   OPTIONS="--sort|--domain" runs those option sets (separated by |) on every corpus as well;
#   the distinct-heavy corpus always runs with every option set.
#   A split run writes its 3,800 piece files into a fresh directory under $TMPDIR (default
#   /tmp). The pieces of every run of an option set are deleted only after its last run: ext4
#   without a journal does not hand out an inode freed in the last half minute or so, and passes
#   over each such inode when it looks for a free one (reading its inode table block), so
#   deleting one run's pieces slowed the next run's creates down by up to 0.2 ms a file, a cost
#   of the benchmark and not of a harvest. TMPDIR=/dev/shm measures the run without its file
#   system.
set -euo pipefail

build=${1:?usage: harvest_bench.sh BUILD_DIR [CORPUS...]}
shift
here=$(dirname "$0")
runs=${RUNS:-5}
driver="$build/bin/harvest_window_bench"
# Benchmarks are built only on request.
cmake -S "$here/.." -B "$build" -DROSTERLY_BUILD_BENCHMARKS=ON >/dev/null
cmake --build "$build" --target harvest_window_bench Corvell >/dev/null
if [ $# -eq 0 ]; then
    [ -s "$build/corpora/distinct.txt" ] || "$here/make_corpus_set.sh" "$build/corpora" 200
    set -- "$build"/corpora/*.txt
fi

scratch=$(mktemp)
times=$(mktemp)
kept=$(mktemp -d "${TMPDIR:-/tmp}/harvest_bench.XXXXXX")  # the runs' list and piece files
trap 'rm -rf "$scratch" "$times" "$kept"' EXIT

# Median and spread of the numbers on standard input: "median lowest-highest".
summary() {
    sort -g | awk '{ v[NR] = $1 } END {
        m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
        printf "%.3f %.3f-%.3f", m, v[1], v[NR] }'
}

# Runs a shell command RUNS times; prints "median lowest-highest peakMiB" of its wall-clock
# seconds and of the largest resident set among its processes.
measure() {
    : >"$times"
    local peaks=""
    for _ in $(seq "$runs"); do
        local start end
        start=$(date +%s.%N)
        # Not to /dev/null: grep stops at the first match when it sees its output discarded.
        /usr/bin/time -f '%M' -o "$scratch.rss" bash -c "$1" >"$scratch"
        end=$(date +%s.%N)
        echo "$end - $start" | bc -l >>"$times"
        peaks="$peaks $(cat "$scratch.rss")"
    done
    rm -f "$scratch.rss"
    printf '%s %.0f\n' "$(summary <"$times")" \
        "$(echo "$peaks" | tr ' ' '\n' | grep . | summary | awk '{ print $1 / 1024 }')"
}

# Runs the window harvest RUNS times with the given options; prints like measure().
harvest() {
    local corpus=$1 options=$2
    : >"$times"
    local peaks="" boxes=""
    for _ in $(seq "$runs"); do
        local out
        # shellcheck disable=SC2086
        out=$(TMPDIR="$kept" "$driver" "$corpus" $options --keep 2>/dev/null)
        echo "$out" | sed -n 's/^harvest \([0-9.]*\) s.*/\1/p' >>"$times"
        peaks="$peaks $(echo "$out" | sed -n 's/.*peak RSS \([0-9.]*\) MiB.*/\1/p')"
        boxes=$(echo "$out" | sed -n 's/.*boxes: //p')
    done
    find "$kept" -mindepth 1 -delete
    printf '%s %.0f\t%s\n' "$(summary <"$times")" \
        "$(echo "$peaks" | tr ' ' '\n' | grep . | summary | awk '{ print $1 }')" "$boxes"
}

pattern='[[:alnum:]._%+-]+@[[:alnum:].-]+\.[[:alpha:]]{2,}'
echo "runs per figure: $runs; figures: median s, lowest-highest s, peak MiB (median)"
for corpus in "$@"; do
    cat "$corpus" >/dev/null  # warm the page cache for every contender alike
    echo
    echo "== $(basename "$corpus"): $(stat -L -c %s "$corpus") bytes," \
        "$(LC_ALL=C grep -c @ "$corpus") lines holding @"
    read -r pipe_median pipe_spread pipe_peak < <(measure \
        "LC_ALL=C grep -oiE '$pattern' '$corpus' | awk '!s[\$0]++'")
    read -r utf8_median utf8_spread utf8_peak < <(measure \
        "LC_ALL=C.UTF-8 grep -oiE '$pattern' '$corpus' | LC_ALL=C.UTF-8 awk '!s[\$0]++'")
    read -r count_median count_spread count_peak < <(measure "grep -c @ '$corpus'")
    printf '  %-24s %8.3f s  (%s)  %5d MiB\n' "grep | awk pipeline:" "$pipe_median" \
        "$pipe_spread" "$pipe_peak"
    printf '  %-24s %8.3f s  (%s)  %5d MiB\n' "the same in C.UTF-8:" "$utf8_median" \
        "$utf8_spread" "$utf8_peak"
    printf '  %-24s %8.3f s  (%s)  %5d MiB\n' "grep -c @:" "$count_median" "$count_spread" \
        "$count_peak"
    option_sets=("")
    case "$corpus" in
        *distinct*) option_sets+=("--sort" "--domain" "--domain --sort" "--split 1000") ;;
        *) if [ -n "${OPTIONS:-}" ]; then IFS='|' read -r -a extra <<<"$OPTIONS"; option_sets+=("${extra[@]}"); fi ;;
    esac
    for options in "${option_sets[@]}"; do
        IFS=$'\t' read -r figures boxes < <(harvest "$corpus" "$options")
        read -r median spread peak <<<"$figures"
        printf '  %-24s %8.3f s  (%s)  %5d MiB  %5.2fx faster than the pipeline' \
            "harvest ${options:-no options}:" "$median" "$spread" "$peak" \
            "$(echo "$pipe_median / $median" | bc -l)"
        printf ' (%.2fx in C.UTF-8), %5.2fx grep -c\n' "$(echo "$utf8_median / $median" | bc -l)" \
            "$(echo "$median / $count_median" | bc -l)"
        [ -n "$options" ] || echo "    $boxes"
        case "$options" in
            --split*) echo "    piece files under ${TMPDIR:-/tmp} ($(stat -f -c %T "${TMPDIR:-/tmp}"))" ;;
        esac
    done
done
