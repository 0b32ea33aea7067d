#!/usr/bin/env bash
# Peak resident memory of a whole harvest on inputs with very long lines: in the window
# (harvest_window_bench, offscreen) and in sievan-pipe; and of a web harvest of a 250 MiB page
# served on 127.0.0.1. Memory must stay bounded whatever the longest line and however large the
# page; this records it, with the time taken.
# Usage: memory_bench.sh BUILD_DIR [SCRATCH_DIR] [RUNS]
# The inputs (about 2.4 GB) are built in SCRATCH_DIR (default: a fresh temporary directory,
# removed at the end); RUNS measurements per case (default 3) give the median and the spread.
set -euo pipefail

build=${1:?usage: memory_bench.sh BUILD_DIR [SCRATCH_DIR] [RUNS]}
scratch=${2:-}
runs=${3:-3}
temporary=""
if [ -z "$scratch" ]; then
    scratch=$(mktemp -d)
    temporary=$scratch
fi
server=""
trap '[ -n "$server" ] && kill "$server" 2>/dev/null; [ -n "$temporary" ] && rm -rf "$temporary"' EXIT
mkdir -p "$scratch"
window="$build/bin/harvest_window_bench"
pipe="$build/bin/sievan-pipe"
# Benchmarks are built only on request.
cmake -S "$(dirname "$0")/.." -B "$build" -DROSTERLY_BUILD_BENCHMARKS=ON >/dev/null
cmake --build "$build" --target harvest_window_bench sievan-pipe Corvell >/dev/null
export XDG_DATA_HOME="$scratch/data"
mib=$((1024 * 1024))

# NAME BYTES COMMAND...: the output of COMMAND cut to BYTES, unless the file is there already.
make_input() {
    local name=$1 bytes=$2
    shift 2
    [ "$(stat -c %s "$scratch/$name" 2>/dev/null || echo 0)" -eq "$bytes" ] && return
    { "$@" || true; } | head -c "$bytes" >"$scratch/$name"
}
repeat() { yes -- "$1" | tr -d '\n'; }

make_input text-1g-no-line-end $((1024 * mib)) repeat "Write to Ann <ann@example.com>, or "
make_input at-1g $((1024 * mib)) repeat "@"
{
    printf 'To: start@example.com '
    head -c $((200 * mib)) /dev/zero | tr '\0' 'x'
} >"$scratch/line-200m-at-start"
{
    head -c $((200 * mib)) /dev/zero | tr '\0' 'x'
    printf ' end@example.com'
} >"$scratch/line-200m-at-end"

# Median and range of the numbers on standard input.
summary() { sort -g | awk '{ v[NR] = $1 } END { printf "median %s (%s..%s)", v[int((NR + 1) / 2)], v[1], v[NR] }'; }

# LABEL STDIN COMMAND...: peak RSS in MiB and seconds, from GNU time, over $runs runs.
measure() {
    local label=$1 stdin=$2
    shift 2
    local peaks=() times=()
    for _ in $(seq "$runs"); do
        local report
        report=$(/usr/bin/time -o /dev/stdout -f '%M %e' "$@" <"$stdin" 2>/dev/null | tail -n 1)
        peaks+=("$(echo "$report" | awk '{ printf "%.1f", $1 / 1024 }')")
        times+=("$(echo "$report" | awk '{ print $2 }')")
    done
    printf '%-34s peak RSS MiB %s, seconds %s\n' "$label" \
        "$(printf '%s\n' "${peaks[@]}" | summary)" "$(printf '%s\n' "${times[@]}" | summary)"
}

cat "$scratch"/* >/dev/null  # the page cache holds them alike for every run
for input in text-1g-no-line-end line-200m-at-start line-200m-at-end at-1g; do
    measure "window: $input" /dev/null "$window" "$scratch/$input"
    measure "sievan-pipe: $input" "$scratch/$input" "$pipe"
done

# A page of 250 MiB with LF line ends and a few thousand distinct addresses, fetched whole.
mkdir -p "$scratch/site"
make_input site/page.html $((250 * mib)) awk 'BEGIN {
    srand(1)
    for (;;) printf "<p>Write to <a href=\"mailto:person%d@host%d.example.org\">them</a>.</p>\n",
        int(rand() * 200), int(rand() * 50)
}'
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server "$port" --bind 127.0.0.1 --directory "$scratch/site" >/dev/null 2>&1 &
server=$!
sleep 1
export no_proxy='*'
measure "window: web page 250 MiB" /dev/null "$window" "http://127.0.0.1:$port/page.html"
