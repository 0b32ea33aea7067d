// The run's table at the end of a large run: a million accepted addresses stored, grouped by
// domain or not, sorted, and turned into the list text, as the output step does.
#include "address_table.h"

#include <benchmark/benchmark.h>

#include "million_addresses.h"

#include <QStringList>

namespace rosterly {
namespace {

using bench::kAddresses;
const QStringList& addresses() {
    return bench::millionAddresses();
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
