// Grouping and sorting a large run: a million accepted addresses in the run's record, with
// domains drawn so that a few are large and most are small.
#include "accepted_addresses.h"
#include "domain_groups.h"
#include "entry_sort.h"

#include <benchmark/benchmark.h>

#include "million_addresses.h"

#include <numeric>
#include <vector>

namespace rosterly {
namespace {

using bench::kAddresses;

const AcceptedAddresses& record() {
    static const AcceptedAddresses* filled = [] {
        auto* accepted = new AcceptedAddresses;
        for (const QString& address : bench::millionAddresses()) accepted->insert(address);
        accepted->releaseIndex();
        return accepted;
    }();
    return *filled;
}

void BM_GroupByDomainAndSort(benchmark::State& state) {
    const AcceptedAddresses& accepted = record();
    for (auto _ : state) {
        DomainGroups groups(accepted);
        for (AcceptedAddresses::Entry e = 0; e < AcceptedAddresses::Entry(kAddresses); ++e) {
            groups.add(e);
        }
        groups.sortGroups();
        benchmark::DoNotOptimize(groups.groupCount());
        state.counters["groups"] = double(groups.groupCount());
    }
    state.SetItemsProcessed(state.iterations() * kAddresses);
}
BENCHMARK(BM_GroupByDomainAndSort)->Unit(benchmark::kMillisecond);

void BM_SortAddresses(benchmark::State& state) {
    const AcceptedAddresses& accepted = record();
    for (auto _ : state) {
        std::vector<uint32_t> entries(kAddresses);
        std::iota(entries.begin(), entries.end(), 0u);
        sortEntries(
            entries,
            [&](uint32_t e, uint32_t k) { return k == 0 ? accepted.line(e) : QByteArrayView(); },
            [&](std::span<const uint32_t> group) { accepted.prefetchLines(group); });
        benchmark::DoNotOptimize(entries.data());
    }
    state.SetItemsProcessed(state.iterations() * kAddresses);
}
BENCHMARK(BM_SortAddresses)->Unit(benchmark::kMillisecond);

void BM_DuplicateRecord(benchmark::State& state) {
    const QStringList& input = bench::millionAddresses();
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
