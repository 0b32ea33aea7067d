// Grouping and sorting a large run: a million accepted addresses.
#include "accepted_addresses.h"
#include "domain_groups.h"
#include "entry_sort.h"

#include <benchmark/benchmark.h>

#include "million_addresses.h"

#include <QString>
#include <QStringList>

namespace rosterly {
namespace {

using bench::kAddresses;
const QStringList& addresses() {
    return bench::millionAddresses();
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
