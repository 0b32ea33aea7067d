// Extract as the program calls it: put Address, call Extract, get Address,
// all through IDispatch::Invoke, on typical lines holding one address.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "sievan_driver.h"

namespace {

std::vector<std::u16string> typicalLines(std::size_t count, unsigned seed) {
    static const char16_t* kShapes[] = {u"contact: ", u"mailto:", u"From: Someone <", u"  ",
                                        u"Reply-To: \""};
    static const char16_t* kTails[] = {u"", u">", u".", u";", u"\" ok"};
    std::mt19937 random(seed);
    std::vector<std::u16string> lines;
    for (std::size_t i = 0; i < count; ++i) {
        std::u16string user;
        for (int k = 0, n = 6 + random() % 10; k < n; ++k) user += u'a' + random() % 26;
        const auto number = std::to_string(random() % 100000);
        std::u16string line = kShapes[random() % 5] + user + u'.';
        line.append(number.begin(), number.end());
        line += u"@example-" + std::u16string(1, u'a' + random() % 26) + u".org";
        line += kTails[random() % 5];
        lines.push_back(line);
    }
    return lines;
}

void BM_ExtractTypicalLine(benchmark::State& state) {
    const auto lines = typicalLines(4096, 1);
    SievanDriver harvest;
    std::size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(harvest.extract(lines[i++ & 4095]));
}
BENCHMARK(BM_ExtractTypicalLine)->Repetitions(5)->ReportAggregatesOnly(true);

// Source text: most lines holding "@" hold no address, and each still takes the three calls.
void BM_ExtractLineWithoutAddress(benchmark::State& state) {
    static const char16_t* kLines[] = {u"@property",      u"my @list = @_;",  u"@",
                                       u"@param name",    u"@media screen {", u"x@",
                                       u"@@ -1,4 +1,5 @@"};
    SievanDriver harvest;
    std::size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(harvest.extract(kLines[i++ % std::size(kLines)]));
}
BENCHMARK(BM_ExtractLineWithoutAddress)->Repetitions(5)->ReportAggregatesOnly(true);

// The duplicate test must cost the same however much the control has seen.
void BM_ExtractAfterRecorded(benchmark::State& state) {
    SievanDriver harvest;
    for (const auto& line : typicalLines(state.range(0), 2)) harvest.extract(line);
    const auto lines = typicalLines(4096, 3);
    std::size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(harvest.extract(lines[i++ & 4095]));
}
BENCHMARK(BM_ExtractAfterRecorded)->Arg(1000)->Arg(1000000)->Unit(benchmark::kNanosecond);

}  // namespace

BENCHMARK_MAIN();
