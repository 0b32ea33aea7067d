#include <benchmark/benchmark.h>

#include <string>

#include "address_scanner.h"

namespace {

void typicalLine(benchmark::State& state, std::u16string line) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(corvell::cleanAddress(line));
    }
}
BENCHMARK_CAPTURE(typicalLine, alreadyClean, u"john.smith@mail.example.com");
BENCHMARK_CAPTURE(typicalLine, displayName, u"contact: John Smith <john.smith@example.com>");
BENCHMARK_CAPTURE(typicalLine, mailtoWithStop, u"mailto:abc@b.c.");
BENCHMARK_CAPTURE(typicalLine, queryTail, u"see https://example.com/?to=jo@ex.org&subject=hi");
BENCHMARK_CAPTURE(typicalLine, noAddress, u"just a line with an @ sign");

constexpr std::size_t megabyte = std::size_t{1} << 20;

// Addresses joined by a mix of delimiters of both sides, so the front scan runs over the whole
// line and the back starts at its very end.
std::u16string manyAddressesLine() {
    const std::u16string piece = u"Name <a.b@c.d>, x;y..z@q.r (w) \"v\"!u@t.s=1&k|j^h%g~f$e/ ";
    std::u16string line;
    while (line.size() + piece.size() < megabyte) {
        line += piece;
    }
    line += u"last@address.example";
    return line;
}

// One address at the front and a long tail that is cut back one unit per step.
std::u16string longTailLine() {
    std::u16string line = u"first@example.org";
    line += u'!';
    line += std::u16string(megabyte - line.size() - 3, u'x');
    line += u".-;";
    return line;
}

void megabyteLine(benchmark::State& state, std::u16string (*make)()) {
    std::u16string line = make();
    for (auto _ : state) {
        benchmark::DoNotOptimize(corvell::cleanAddress(line));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(line.size() * sizeof(char16_t)));
}
BENCHMARK_CAPTURE(megabyteLine, manyAddresses, manyAddressesLine)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(megabyteLine, longTail, longTailLine)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
