// The run's table at the end of a large run: a million accepted addresses stored, grouped by
// domain or not, sorted, and turned into the list text, as the output step does.
#include "address_table.h"

#include <benchmark/benchmark.h>

#include <QStringList>

#include <random>

namespace rosterly {
namespace {

constexpr int kAddresses = 1'000'000;

// Distinct lower-case addresses in random order; a few large domains and many small ones.
const QStringList& addresses() {
    static const QStringList list = [] {
        std::mt19937 random(7);
        std::geometric_distribution<int> domainRank(0.0002);
        std::uniform_int_distribution<int> letter('a', 'z');
        QStringList out;
        out.reserve(kAddresses);
        for (int i = 0; i < kAddresses; ++i) {
            QString local;
            for (int n = 4 + i % 9; n > 0; --n) local += QChar(letter(random));
            out.push_back(QStringLiteral("%1.%2@mail%3.example.cc")
                              .arg(local)
                              .arg(i)
                              .arg(domainRank(random)));
        }
        return out;
    }();
    return list;
}

void BM_AlphabeticalTable(benchmark::State& state) {
    const QStringList& input = addresses();
    for (auto _ : state) {
        AddressTable table;
        for (const QString& address : input) table.appendAddress(address);
        table.sortEntries();
        benchmark::DoNotOptimize(table.listText().size());
    }
    state.SetItemsProcessed(state.iterations() * kAddresses);
}
BENCHMARK(BM_AlphabeticalTable)->Unit(benchmark::kMillisecond);

void BM_DomainTableSorted(benchmark::State& state) {
    const QStringList& input = addresses();
    for (auto _ : state) {
        AddressTable table;
        for (const QString& address : input) table.addToDomainGroup(address, {});
        table.sortEntries();
        benchmark::DoNotOptimize(table.listText().size());
    }
    state.SetItemsProcessed(state.iterations() * kAddresses);
}
BENCHMARK(BM_DomainTableSorted)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace rosterly

BENCHMARK_MAIN();
