#!/usr/bin/env bash
# A whole harvest in the window (harvest_window_bench) beside two grep baselines on the same
# large file: the address-harvesting pipeline grep | awk, and the bare count of '@' lines.
# Usage: harvest_bench.sh BUILD_DIR [CORPUS]   (the corpus is built with make_corpus.sh when
# missing; default BUILD_DIR/corpus.txt)
set -euo pipefail

build=${1:?usage: harvest_bench.sh BUILD_DIR [CORPUS]}
corpus=${2:-"$build/corpus.txt"}
here=$(dirname "$0")
[ -s "$corpus" ] || "$here/make_corpus.sh" "$corpus" 200
driver="$build/bin/harvest_window_bench"
# Benchmarks are built only on request.
cmake -S "$here/.." -B "$build" -DROSTERLY_BUILD_BENCHMARKS=ON >/dev/null
cmake --build "$build" --target harvest_window_bench Corvell >/dev/null

# Best of three wall-clock seconds of a shell command.
best_of_3() {
    local best=""
    for _ in 1 2 3; do
        local start end took
        start=$(date +%s.%N)
        # Not to /dev/null: grep stops at the first match when it sees its output discarded.
        bash -c "$1" >"$scratch"
        end=$(date +%s.%N)
        took=$(echo "$end - $start" | bc -l)
        if [ -z "$best" ] || (($(echo "$took < $best" | bc -l))); then best=$took; fi
    done
    printf '%.3f' "$best"
}

scratch=$(mktemp)
trap 'rm -f "$scratch"' EXIT
cat "$corpus" >/dev/null  # warm the page cache for every contender alike
echo "corpus: $corpus, $(stat -c %s "$corpus") bytes"
pipeline="LC_ALL=C grep -oiE '[[:alnum:]._%+-]+@[[:alnum:].-]+\.[[:alpha:]]{2,}' '$corpus' | awk '!s[\$0]++'"
grep_pipeline=$(best_of_3 "$pipeline")
grep_count=$(best_of_3 "grep -c @ '$corpus'")
echo "grep | awk pipeline: $grep_pipeline s"
echo "grep -c @:           $grep_count s"

for options in "" "--sort" "--domain" "--domain --sort" "--split 1000" "--split 1000 --sort"; do
    best=""
    line=""
    for _ in 1 2 3; do
        out=$("$driver" "$corpus" $options 2>/dev/null)
        took=$(echo "$out" | sed -n 's/^harvest \([0-9.]*\) s.*/\1/p')
        if [ -z "$best" ] || (($(echo "$took < $best" | bc -l))); then best=$took; line=$out; fi
    done
    printf '%-22s %s\n' "${options:-no options}:" "$line"
    if [ -z "$options" ]; then
        printf '  %.2fx faster than the pipeline, %.2fx the time of grep -c @\n' \
            "$(echo "$grep_pipeline / $best" | bc -l)" "$(echo "$best / $grep_count" | bc -l)"
    fi
done
