// Cost of one duplicate-test step (contains, then append when new) against a record of 1e3 to 1e6
// earlier addresses; the step should cost about the same however long the record is.
#include "seen_text.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace {

using corvell::SeenText;

constexpr std::array<std::string_view, 32> kFirst = {
    "james",  "mary",    "john",    "patricia", "robert", "jennifer", "michael", "linda",
    "david",  "barbara", "william", "susan",    "joseph", "jessica",  "thomas",  "sarah",
    "carlos", "karen",   "daniel",  "nancy",    "matteo", "lisa",     "anthony", "betty",
    "mark",   "sandra",  "paul",    "ashley",   "steven", "kimberly", "andrew",  "emily"};
constexpr std::array<std::string_view, 32> kLast = {
    "smith",  "johnson", "williams", "brown",  "jones", "garcia",   "miller", "davis",
    "rossi",  "martin",  "lopez",    "wilson", "moore", "taylor",   "thomas", "white",
    "harris", "clark",   "lewis",    "walker", "young", "king",     "wright", "scott",
    "green",  "baker",   "adams",    "nelson", "hill",  "campbell", "perez",  "turner"};
constexpr std::array<std::string_view, 16> kDomainWord = {
    "mail", "web",  "net",  "post", "home", "acme", "blue", "star",
    "fast", "city", "data", "info", "zen",  "top",  "one",  "sky"};
constexpr std::array<std::string_view, 8> kTld = {"com", "net", "org", "de",
                                                  "io",  "fr",  "co",  "info"};

// Random addresses shaped like "firstname.lastname123@domain-name.tld".
class AddressMaker {
public:
    explicit AddressMaker(std::uint64_t seed) : rng_(seed) {}

    void make(std::u16string& out) {
        out.clear();
        add(out, kFirst[rng_() % kFirst.size()]);
        add(out, rng_() % 2 ? "." : "_");
        add(out, kLast[rng_() % kLast.size()]);
        add(out, std::to_string(rng_() % 1000));
        add(out, "@");
        add(out, kDomainWord[rng_() % kDomainWord.size()]);
        add(out, "-");
        add(out, kDomainWord[rng_() % kDomainWord.size()]);
        add(out, ".");
        add(out, kTld[rng_() % kTld.size()]);
    }

private:
    static void add(std::u16string& out, std::string_view part) {
        out.insert(out.end(), part.begin(), part.end());
    }
    std::mt19937_64 rng_;
};

// The addresses of the timed steps, made up front; every tenth repeats an earlier one.
struct StepAddresses {
    std::u16string units;
    std::vector<std::size_t> ends;

    std::u16string_view at(std::size_t i) const {
        const std::size_t begin = i == 0 ? 0 : ends[i - 1];
        return std::u16string_view(units).substr(begin, ends[i] - begin);
    }
};

StepAddresses makeSteps(AddressMaker& maker, std::size_t count) {
    StepAddresses steps;
    std::u16string address;
    for (std::size_t i = 0; i < count; ++i) {
        if (i % 10 == 9) {
            address = steps.at(i / 2);
        } else {
            maker.make(address);
        }
        steps.units += address;
        steps.ends.push_back(steps.units.size());
    }
    return steps;
}

void recordFresh(SeenText& seen, AddressMaker& maker, std::size_t count) {
    seen.reset(u"0");
    std::u16string address;
    for (std::size_t i = 0; i < count; ++i) {
        maker.make(address);
        if (!seen.contains(address)) {
            seen.append(address);
        }
    }
}

void BM_ContainsThenAppend(benchmark::State& state) {
    const auto recorded = static_cast<std::size_t>(state.range(0));
    AddressMaker maker(42);
    SeenText seen;
    recordFresh(seen, maker, recorded);
    const double bytesPerUnit = static_cast<double>(seen.memoryBytes()) / seen.size();
    const double units = static_cast<double>(seen.size());

    // The record may grow by a tenth during timing before it is rebuilt at its nominal size.
    const StepAddresses steps = makeSteps(maker, std::max<std::size_t>(recorded / 10, 100));
    std::size_t next = 0;
    std::int64_t duplicates = 0;
    for (auto _ : state) {
        if (next == steps.ends.size()) {
            state.PauseTiming();
            recordFresh(seen, maker, recorded);
            next = 0;
            state.ResumeTiming();
        }
        const std::u16string_view address = steps.at(next++);
        const bool seenBefore = seen.contains(address);
        if (!seenBefore) {
            seen.append(address);
        }
        duplicates += seenBefore ? 1 : 0;
    }
    benchmark::DoNotOptimize(duplicates);
    state.counters["units"] = units;
    state.counters["bytes_per_unit"] = bytesPerUnit;
    state.counters["dup_share"] = static_cast<double>(duplicates) / state.iterations();
    // Queries since the record was built that needed the exact fallback (expected: none).
    state.counters["fallbacks"] = static_cast<double>(seen.fallbackQueries());
}

// Large records are built once and timed for exactly one growth allowance, without rebuilds.
BENCHMARK(BM_ContainsThenAppend)->Arg(1000)->Arg(10000);
BENCHMARK(BM_ContainsThenAppend)->Arg(100000)->Iterations(10000);
BENCHMARK(BM_ContainsThenAppend)->Arg(1000000)->Iterations(100000);

}  // namespace

BENCHMARK_MAIN();
