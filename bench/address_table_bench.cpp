// The run's record and table at the end of a large run: three million accepted addresses of a
// distinct-heavy input recorded (the duplicate test as the run makes it), then grouped by
// domain or not, sorted, and written as a list file, as the output step does.
#include <benchmark/benchmark.h>

#include <QString>
#include <QTemporaryDir>

#include <random>
#include <utility>
#include <vector>

#include "accepted_addresses.h"
#include "address_table.h"
#include "list_file.h"

namespace rosterly {
namespace {

constexpr int kAddresses = 3'000'000;

// Addresses like "user0001234@d0007654.example.com", all distinct, in random order.
std::vector<std::pair<int, int>> numbers() {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> number(0, 9'999'999);
    std::vector<std::pair<int, int>> out(kAddresses);
    for (int i = 0; i < kAddresses; ++i)
        out[size_t(i)] = {i * 3 + number(random) % 3, number(random)};
    std::shuffle(out.begin(), out.end(), random);
    return out;
}

QString addressOf(std::pair<int, int> n) {
    return QStringLiteral("user%1@d%2.example.com")
        .arg(n.first, 7, 10, QLatin1Char('0'))
        .arg(n.second, 7, 10, QLatin1Char('0'));
}

void fill(AcceptedAddresses& record) {
    static const auto input = numbers();
    for (const auto& n : input) {
        const QString address = addressOf(n);
        if (!record.contains(address)) record.insert(address);
    }
    record.releaseIndex();
}

void BM_RecordDistinctHeavy(benchmark::State& state) {
    for (auto _ : state) {
        AcceptedAddresses record;
        fill(record);
        benchmark::DoNotOptimize(record.size());
    }
    state.SetItemsProcessed(state.iterations() * kAddresses);
}
BENCHMARK(BM_RecordDistinctHeavy)->Unit(benchmark::kMillisecond)->Iterations(3);

// After the record is filled: the table, its sort, and the list file.
void runTable(benchmark::State& state, bool domain, bool rich) {
    AcceptedAddresses record;
    fill(record);
    QTemporaryDir dir;
    for (auto _ : state) {
        AddressTable table(record);
        for (AcceptedAddresses::Entry e = 0; e < AcceptedAddresses::Entry(record.size()); ++e) {
            if (domain) {
                table.addToDomainGroup(e, {});
            } else {
                table.appendAddress(e);
            }
        }
        table.sortEntries();
        ListFile file(dir.filePath(QStringLiteral("list.doc")),
                      rich ? ListFile::Format::Rich : ListFile::Format::Plain, record);
        table.forEachLineRun([&](std::span<const AcceptedAddresses::Entry> lines) {
            file.addLines(lines);
        });
        if (!file.commit().ok()) state.SkipWithError("list not written");
    }
    state.SetItemsProcessed(state.iterations() * record.size());
}

void BM_AlphabeticalTableAsRtf(benchmark::State& state) {
    runTable(state, false, true);
}
BENCHMARK(BM_AlphabeticalTableAsRtf)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_DomainTableSorted(benchmark::State& state) {
    runTable(state, true, false);
}
BENCHMARK(BM_DomainTableSorted)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace rosterly

BENCHMARK_MAIN();
