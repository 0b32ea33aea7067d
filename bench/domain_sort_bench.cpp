// Grouping and sorting a large run: a million accepted addresses.
#include "accepted_addresses.h"
#include "domain_groups.h"
#include "entry_sort.h"

#include <benchmark/benchmark.h>

#include <QString>
#include <QStringList>

#include <random>

namespace rosterly {
namespace {

constexpr int kAddresses = 1'000'000;

// Distinct lower-case addresses in random order; domains drawn so that a few are large and
// most are small, as in real mail.
const QStringList& addresses() {
    static const QStringList list = [] {
        std::mt19937 random(42);
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

void BM_GroupByDomainAndSort(benchmark::State& state) {
    const QStringList& input = addresses();
    for (auto _ : state) {
        DomainGroups groups;
        for (const QString& address : input) {
            groups.add(address, {});
        }
        groups.sortGroups();
        benchmark::DoNotOptimize(groups.groupCount());
        state.counters["groups"] = double(groups.groupCount());
    }
    state.SetItemsProcessed(state.iterations() * kAddresses);
}
BENCHMARK(BM_GroupByDomainAndSort)->Unit(benchmark::kMillisecond);

void BM_SortAddresses(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        QStringList list = addresses();
        list.detach();
        state.ResumeTiming();
        sortAddresses(list);
        benchmark::DoNotOptimize(list.data());
    }
    state.SetItemsProcessed(state.iterations() * kAddresses);
}
BENCHMARK(BM_SortAddresses)->Unit(benchmark::kMillisecond);

void BM_DuplicateRecord(benchmark::State& state) {
    const QStringList& input = addresses();
    for (auto _ : state) {
        AcceptedAddresses accepted;
        for (const QString& address : input) {
            if (!accepted.contains(address)) accepted.insert(address);
        }
        benchmark::DoNotOptimize(accepted.size());
    }
    state.SetItemsProcessed(state.iterations() * kAddresses);
}
BENCHMARK(BM_DuplicateRecord)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace rosterly

BENCHMARK_MAIN();
