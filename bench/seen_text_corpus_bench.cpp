// Extract as the program calls it (put Address, Extract, get Address through IDispatch::Invoke,
// and now and then Duplicates, which waits for the control's record) on the lines of real
// corpora, when the control has already recorded 1e3 or 3e6 addresses: the two figures of a
// corpus should be close, since the duplicate test must not grow with the record. Also the
// duplicate test alone (SeenText's contains, then append when new) on the same lines, with the
// bytes its record holds beyond the text per recorded unit.
//
// Corpora come from bench/make_corpus_set.sh; name their directory in ROSTERLY_CORPORA (default
// build/corpora). Each corpus is read up to its first 8 MB of lines holding an '@'.
#include "address_scanner.h"
#include "corpus_set.h"
#include "seen_text.h"
#include "sievan_driver.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using corvell::SeenText;

constexpr std::size_t kMaxCorpusBytes = std::size_t{64} << 20;
constexpr std::size_t kTimedSteps = 100000;

// Texts in one buffer: a corpus's lines holding '@' as the run hands them to Extract (lower-cased,
// bytes read as Latin-1), or the addresses cleaned out of them.
struct Needles {
    std::u16string units;
    std::vector<std::size_t> ends;

    std::size_t count() const { return ends.size(); }
    std::u16string_view at(std::size_t i) const {
        const std::size_t begin = i == 0 ? 0 : ends[i - 1];
        return std::u16string_view(units).substr(begin, ends[i] - begin);
    }
};

struct Corpus {
    Needles lines;
    Needles addresses;
};

Corpus readCorpus(const std::filesystem::path& path) {
    Corpus corpus;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    std::u16string wide;
    std::size_t bytes = 0;
    while (bytes < kMaxCorpusBytes && std::getline(in, line, '\r')) {
        if (line.find('@') == std::string::npos) continue;
        bytes += line.size();
        wide.assign(line.begin(), line.end());
        for (char16_t& c : wide) {
            c = static_cast<unsigned char>(c);
            if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
        }
        if (wide.front() == u'\n') wide.erase(0, 1);
        corpus.lines.units += wide;
        corpus.lines.ends.push_back(corpus.lines.units.size());
        if (!corvell::hasAddressShape(wide)) continue;
        const std::u16string_view cleaned = corvell::cleanAddress(wide);
        if (cleaned.empty()) continue;
        corpus.addresses.units += cleaned;
        corpus.addresses.ends.push_back(corpus.addresses.units.size());
    }
    return corpus;
}

// The i-th of `count` distinct addresses of another shape than any corpus's.
std::u16string fillerAddress(std::size_t i) {
    char buffer[64];
    const auto n = static_cast<unsigned long>((i * 2654435761u) % 4294967291u);
    const int size = std::snprintf(buffer, sizeof buffer, "member%lu@host%lu.filler.net", n,
                                   static_cast<unsigned long>(i % 50021));
    return std::u16string(buffer, buffer + size);
}

// A record of `count` filler addresses after a reset.
void recordFiller(SeenText& seen, std::size_t count) {
    seen.reset(u"0");
    for (std::size_t i = 0; i < count; ++i) {
        const std::u16string address = fillerAddress(i);
        if (!seen.contains(address)) seen.append(address);
    }
}

void BM_Extract(benchmark::State& state, const Corpus* corpus) {
    const Needles& lines = corpus->lines;
    if (lines.count() == 0) {
        state.SkipWithError("corpus missing or without addresses");
        return;
    }
    SievanDriver harvest;
    for (std::size_t i = 0, n = static_cast<std::size_t>(state.range(0)); i < n; ++i) {
        harvest.extract(fillerAddress(i));
    }
    harvest.duplicates();
    std::size_t next = 0;
    std::size_t calls = 0;
    for (auto _ : state) {
        harvest.extract(lines.at(next));
        next = next + 1 == lines.count() ? 0 : next + 1;
        // The control tests its record on a thread of its own: the timing waits for it now and
        // then, so it counts the whole work of a call, not only the hand-over.
        if (++calls % 1024 == 0) harvest.duplicates();
    }
}

void BM_DuplicateTest(benchmark::State& state, const Corpus* corpus) {
    const Needles* needles = &corpus->addresses;
    if (needles->count() == 0) {
        state.SkipWithError("corpus missing or without addresses");
        return;
    }
    SeenText seen;
    recordFiller(seen, static_cast<std::size_t>(state.range(0)));
    const std::size_t filled = seen.size();
    const std::size_t fallbacksBefore = seen.fallbackQueries();
    std::size_t next = 0;
    std::int64_t duplicates = 0;
    for (auto _ : state) {
        const std::u16string_view address = needles->at(next);
        next = next + 1 == needles->count() ? 0 : next + 1;
        const bool seenBefore = seen.contains(address);
        if (!seenBefore) seen.append(address);
        duplicates += seenBefore ? 1 : 0;
    }
    state.counters["recorded_units"] = static_cast<double>(filled);
    state.counters["dup_share"] = static_cast<double>(duplicates) / state.iterations();
    state.counters["fallbacks"] = static_cast<double>(seen.fallbackQueries() - fallbacksBefore);
    state.counters["index_bytes_per_unit"] = static_cast<double>(seen.indexBytes()) / seen.size();
    state.counters["text_bytes_per_unit"] =
        static_cast<double>(seen.memoryBytes() - seen.indexBytes()) / seen.size();
}

}  // namespace

int main(int argc, char** argv) {
    static std::vector<std::pair<std::string, Corpus>> loaded;
    for (const char* name : rosterly::bench::kCorpusNames) {
        loaded.emplace_back(name, readCorpus(rosterly::bench::corpusPath(name)));
    }
    for (const auto& [name, corpus] : loaded) {
        for (auto* bench :
             {benchmark::RegisterBenchmark(("BM_Extract/" + name).c_str(), BM_Extract, &corpus),
              benchmark::RegisterBenchmark(("BM_DuplicateTest/" + name).c_str(), BM_DuplicateTest,
                                           &corpus)}) {
            bench->Arg(1000)->Arg(3000000)->Iterations(kTimedSteps)->Unit(benchmark::kNanosecond);
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
