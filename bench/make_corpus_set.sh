#!/usr/bin/env bash
# Builds a set of large CR LF text corpora from what this machine has, for the harvest
# benchmarks: several kinds of real text rather than one file, so no figure is tuned to one.
#
#   docs.txt      changelogs, copyright files, manual and info pages
#   metadata.txt  package metadata: dpkg status, Perl modules, Python METADATA, Node package.json
#   source.txt    source files: Python, Perl, JavaScript, C headers
#   mailbox.txt   a mail archive made from the above: From:/To:/Cc: headers, quoted replies
#   mixed.txt     all of the above, blocks interleaved
#   distinct.txt  a generated list of over 3 million distinct addresses (at 200 MB)
#
# Usage: make_corpus_set.sh [OUTPUT_DIR [MEGABYTES [SEED]]]
#        (defaults: build/corpora, 200, 1). Existing corpora of the wanted size are kept.
# Each corpus is its text repeated until MEGABYTES are reached, every repeat in another seeded
# order of 40-line blocks, so the order varies but the same SEED gives the same bytes.
# The corpora are for benchmarks only; never commit them.
set -euo pipefail

out=${1:-"$(dirname "$0")/../build/corpora"}
megabytes=${2:-200}
seed=${3:-1}
want=$((megabytes * 1024 * 1024))
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Prints every readable text file named on standard input (compressed ones unpacked, binary ones
# skipped) until `limit` bytes are out.
cat_texts() {
    local limit=$1
    while IFS= read -r file; do
        status=0
        case "$file" in
            *.gz) zcat -f -- "$file" 2>/dev/null || status=$? ;;
            *) ! grep -Iq . -- "$file" 2>/dev/null || cat -- "$file" 2>/dev/null || status=$? ;;
        esac
        # 141: the reader has enough and closed the pipe.
        [ "$status" -ne 141 ] || break
    done | tr -d '\000\r' | head -c "$limit" || true
}

seed_docs() {
    {
        find /usr/share/doc -type f \( -name 'changelog*' -o -name 'NEWS*' -o -name copyright \
            -o -name 'AUTHORS*' -o -name 'THANKS*' -o -name 'README*' \) 2>/dev/null | sort
        find /usr/share/man /usr/share/info -type f -name '*.gz' 2>/dev/null | sort
    } | cat_texts $((96 << 20)) || true  # the listing stops early once there is enough
}

seed_metadata() {
    {
        echo /var/lib/dpkg/status
        find /usr/share/perl5 /usr/lib/x86_64-linux-gnu/perl* -type f -name '*.pm' 2>/dev/null
        find / -xdev -path '*.dist-info/METADATA' 2>/dev/null
        find / -xdev -name package.json 2>/dev/null
        find / -xdev \( -name PKG-INFO -o -name '*.gemspec' -o -name '*.pc' \) 2>/dev/null
    } | grep -v "^$out" | sort -u | cat_texts $((96 << 20)) || true
}

seed_source() {
    {
        find /usr/lib/python3 /usr/lib/python3.* -name '*.py' 2>/dev/null
        find /usr/share/perl5 /usr/share/perl -name '*.pm' 2>/dev/null
        find /usr/share/nodejs /usr/lib/node_modules /usr/share/javascript -name '*.js' 2>/dev/null
        find /usr/include -name '*.h' 2>/dev/null
    } | sort -u | cat_texts $((96 << 20)) || true
}

# A mail archive: messages between the addresses found in the other seeds, their bodies cut from
# those texts, every other one a reply that quotes the one before.
seed_mailbox() {
    LC_ALL=C grep -ohE '[[:alnum:]._+-]+@[[:alnum:].-]+\.[[:alpha:]]{2,}' "$@" |
        awk '!s[$0]++' >"$work/people"
    [ -s "$work/people" ] || echo "someone@example.org" >"$work/people"
    cat "$@" | head -c $((64 << 20)) | LC_ALL=C awk -v seed="$seed" -v people="$work/people" '
        BEGIN {
            srand(seed)
            while ((getline a < people) > 0) addr[n++] = a
            split("Ann Lee,Bo Chen,Carla Diaz,Dev Patel,Eve Novak,Fay Okafor,Gus Berg", names, ",")
        }
        function who() { return addr[int(rand() * n)] }
        function name() { return names[1 + int(rand() * 7)] }
        function flush(   i, from, date) {
            from = who()
            date = sprintf("%02d %s 20%02d %02d:%02d:%02d +0000", 1 + int(rand() * 28),
                           substr("JanFebMarAprMayJunJulAugSepOctNovDec", 1 + 3 * int(rand() * 12), 3),
                           10 + int(rand() * 15), int(rand() * 24), int(rand() * 60), int(rand() * 60))
            print "From " from " " date
            print "From: " name() " <" from ">"
            print "To: " who()
            if (rand() < 0.5) print "Cc: " name() " <" who() ">, " who()
            print "Date: " date
            print "Subject: " (msg % 2 ? "Re: " : "") subject
            print "Message-ID: <" msg "." int(rand() * 1e6) "@" substr(from, index(from, "@") + 1) ">"
            print ""
            if (msg % 2) {
                print "On " date ", " last " wrote:"
                for (i = 1; i <= quoted; i++) print "> " quote[i]
                print ""
            }
            for (i = 1; i <= lines; i++) print body[i]
            print ""
            last = name() " <" from ">"
            quoted = lines < 12 ? lines : 12
            for (i = 1; i <= quoted; i++) quote[i] = body[i]
            lines = 0
            msg++
        }
        {
            if (lines == 0) subject = substr($0, 1, 60)
            body[++lines] = $0
            if (lines >= 8 + int(rand() * 40)) flush()
        }
        END { if (lines) flush() }' || true
}

# Over three million distinct addresses at 200 MB, one per line in a handful of line shapes; one
# line in twenty repeats an earlier address. Numbers are permuted so neighbours differ.
seed_distinct() {
    LC_ALL=C awk -v want="$want" -v seed="$seed" '
        BEGIN {
            srand(seed)
            p = 4000037  # a prime above the largest count of lines made
            shape[0] = "From: Some Person <%s> wrote this"
            shape[1] = "To: %s"
            shape[2] = "Cc: Other Person <%s>"
            shape[3] = "  reply to %s, please"
            for (i = 0; bytes < want; i++) {
                if (i % 20 == 19) a = seen[int(rand() * kept)]
                else {
                    u = (i * 1103 + 17) % p; d = (i * 7919 + 101) % p
                    a = sprintf("user%07d@d%07d.example.com", u, d)
                    if (kept < 65536) seen[kept++] = a
                    else seen[int(rand() * 65536)] = a
                }
                line = sprintf(shape[i % 4], a)
                print line
                bytes += length(line) + 2
            }
        }'
}

# Repeats the seed text in 40-line blocks, each round in another seeded order, CR LF line ends,
# cut to the wanted size.
spread_to_size() {
    local seedfile=$1 target=$2 round=0
    local size
    size=$(stat -c %s "$seedfile")
    if [ "$size" -eq 0 ]; then
        echo "make_corpus_set: found no text for $target" >&2
        return 1
    fi
    : >"$target.part"
    while [ "$(stat -c %s "$target.part")" -lt "$want" ]; do
        LC_ALL=C awk -v seed=$((seed * 1000 + round)) '
            BEGIN { srand(seed) }
            { block = block $0 "\037" }
            NR % 40 == 0 { printf "%.9f\t%s\n", rand(), block; block = "" }
            END { if (block != "") printf "%.9f\t%s\n", rand(), block }' "$seedfile" |
            LC_ALL=C sort -t "$(printf '\t')" -k1,1 | cut -f2- | tr '\037' '\n' |
            sed 's/$/\r/' >>"$target.part"
        round=$((round + 1))
    done
    truncate -s "$want" "$target.part"
    mv "$target.part" "$target"
    echo "make_corpus_set: $target, $want bytes from $size bytes of text in $round orders"
}

fresh() { [ ! -s "$1" ] || [ "$(stat -c %s "$1")" -ne "$want" ]; }

for kind in docs metadata source; do
    if fresh "$out/$kind.txt" || fresh "$out/mailbox.txt" || fresh "$out/mixed.txt"; then
        "seed_$kind" >"$work/$kind"
    fi
done
fresh "$out/docs.txt" && spread_to_size "$work/docs" "$out/docs.txt"
fresh "$out/metadata.txt" && spread_to_size "$work/metadata" "$out/metadata.txt"
fresh "$out/source.txt" && spread_to_size "$work/source" "$out/source.txt"
if fresh "$out/mailbox.txt" || fresh "$out/mixed.txt"; then
    seed_mailbox "$work/docs" "$work/metadata" "$work/source" >"$work/mailbox"
fi
fresh "$out/mailbox.txt" && spread_to_size "$work/mailbox" "$out/mailbox.txt"
if fresh "$out/mixed.txt"; then
    cat "$work/docs" "$work/metadata" "$work/source" "$work/mailbox" >"$work/mixed"
    spread_to_size "$work/mixed" "$out/mixed.txt"
fi
if fresh "$out/distinct.txt"; then
    seed_distinct | sed 's/$/\r/' | head -c "$want" >"$out/distinct.txt" || true
    echo "make_corpus_set: $out/distinct.txt, $(stat -c %s "$out/distinct.txt") bytes"
fi
exit 0
