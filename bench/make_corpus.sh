#!/usr/bin/env bash
# Builds a large plain-text corpus with CR LF line ends from the text already on this machine
# (documentation, licences, manual pages), repeating it until the wanted size is reached.
# Usage: make_corpus.sh [OUTPUT [MEGABYTES]]   (defaults: build/corpus.txt, 200)
# The corpus is for benchmarks only; never commit it.
set -euo pipefail

out=${1:-"$(dirname "$0")/../build/corpus.txt"}
megabytes=${2:-200}
want=$((megabytes * 1024 * 1024))
mkdir -p "$(dirname "$out")"

seed=$(mktemp)
trap 'rm -f "$seed"' EXIT

# One pass over the sources: plain files as they are, compressed ones unpacked. Binary files
# are skipped, NUL bytes dropped (grep would take the corpus for binary); CR LF line ends are
# made from LF ones. Reading stops once there is enough.
{
    find /usr/share/doc /usr/share/common-licenses -type f \( -name '*.gz' -o ! -name '*.*' \
        -o -name '*.txt' -o -name '*.md' -o -name '*.html' -o -name 'changelog*' \) 2>/dev/null
    find /usr/share/man -type f -name '*.gz' 2>/dev/null
} | sort | while IFS= read -r file; do
    status=0
    case "$file" in
        *.gz) zcat -f -- "$file" 2>/dev/null || status=$? ;;
        *) ! grep -Iq . -- "$file" 2>/dev/null || cat -- "$file" || status=$? ;;
    esac
    # 141: the reader has enough and closed the pipe.
    [ "$status" -ne 141 ] || break
done | tr -d '\000' | sed 's/\r$//; s/$/\r/' | head -c "$want" >"$seed" || true

size=$(stat -c %s "$seed")
if [ "$size" -eq 0 ]; then
    echo "make_corpus: found no text to build from" >&2
    exit 1
fi

: >"$out"
while [ "$(stat -c %s "$out")" -lt "$want" ]; do
    cat "$seed" >>"$out"
done
truncate -s "$want" "$out"
echo "make_corpus: $out, $(stat -c %s "$out") bytes from $size bytes of text"
