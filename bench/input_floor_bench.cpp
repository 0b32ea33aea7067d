// What the cheapest possible pass over an input costs on this machine: its bytes taken from the
// system's cache and its lines holding "@" found, and nothing else. No run can be faster than
// this floor, whatever it does per line; harvest_bench.sh compares runs with grep, which reads
// the same way. The corpora of make_corpus_set.sh, from ROSTERLY_CORPORA (default
// build/corpora), in the system's cache when measured: each is read once before its benchmarks.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "corpus_set.h"

namespace {

// Lines holding "@" in [from, to): the rest of a line is skipped after its first "@", as the
// run's reader does.
long linesHoldingAt(const char* from, const char* to) {
    long count = 0;
    while (from < to) {
        const auto* at = static_cast<const char*>(std::memchr(from, '@', std::size_t(to - from)));
        if (!at) break;
        ++count;
        const auto* end = static_cast<const char*>(std::memchr(at, '\n', std::size_t(to - at)));
        if (!end) break;
        from = end + 1;
    }
    return count;
}

// Reads bytes [from, to) of `descriptor` through one buffer of `bufferBytes`, reused piece after
// piece so that a small one stays in the processor's cache; scans each piece unless `scan` is
// false. A line cut between two
// pieces may be counted twice: the floor needs the work, not the exact count.
long readRange(int descriptor, off_t from, off_t to, std::size_t bufferBytes, bool scan) {
    std::vector<char> buffer(bufferBytes);
    long count = 0;
    while (from < to) {
        const std::size_t wanted = std::min<std::size_t>(bufferBytes, std::size_t(to - from));
        const ssize_t got = ::pread(descriptor, buffer.data(), wanted, from);
        if (got <= 0) break;
        if (scan) count += linesHoldingAt(buffer.data(), buffer.data() + got);
        from += got;
    }
    return count;
}

struct Input {
    std::string name;
    int descriptor = -1;
    off_t size = 0;
};

void readWhole(benchmark::State& state, const Input* input, bool scan) {
    const std::size_t bufferBytes = std::size_t(state.range(0)) << 10;
    for (auto _ : state) {
        benchmark::DoNotOptimize(readRange(input->descriptor, 0, input->size, bufferBytes, scan));
    }
    state.SetBytesProcessed(state.iterations() * input->size);
}

// Two threads, each reading and scanning its own half.
void readHalves(benchmark::State& state, const Input* input) {
    const std::size_t bufferBytes = std::size_t(state.range(0)) << 10;
    const off_t half = input->size / 2;
    for (auto _ : state) {
        long second = 0;
        std::thread beside(
            [&] { second = readRange(input->descriptor, half, input->size, bufferBytes, true); });
        const long first = readRange(input->descriptor, 0, half, bufferBytes, true);
        beside.join();
        benchmark::DoNotOptimize(first + second);
    }
    state.SetBytesProcessed(state.iterations() * input->size);
}

// The whole file shown at once, its pages mapped before the scan.
void mapWhole(benchmark::State& state, const Input* input) {
    for (auto _ : state) {
        void* shown = ::mmap(nullptr, std::size_t(input->size), PROT_READ,
                             MAP_PRIVATE | MAP_POPULATE, input->descriptor, 0);
        if (shown == MAP_FAILED) {
            state.SkipWithError("the file cannot be mapped");
            return;
        }
        const auto* bytes = static_cast<const char*>(shown);
        benchmark::DoNotOptimize(linesHoldingAt(bytes, bytes + input->size));
        ::munmap(shown, std::size_t(input->size));
    }
    state.SetBytesProcessed(state.iterations() * input->size);
}

void registerInput(const Input* input) {
    const std::string& name = input->name;
    const auto kib = [](benchmark::internal::Benchmark* b) {
        b->ArgName("KiB")->Arg(64)->Arg(128)->Arg(512)->Unit(benchmark::kMillisecond);
    };
    kib(benchmark::RegisterBenchmark(("readOnly/" + name).c_str(), readWhole, input, false));
    kib(benchmark::RegisterBenchmark(("readAndFind/" + name).c_str(), readWhole, input, true));
    kib(benchmark::RegisterBenchmark(("readHalvesAndFind/" + name).c_str(), readHalves, input));
    benchmark::RegisterBenchmark(("mapAndFind/" + name).c_str(), mapWhole, input)
        ->Unit(benchmark::kMillisecond);
}

}  // namespace

int main(int argc, char** argv) {
    static std::vector<Input> inputs;
    for (const char* name : rosterly::bench::kCorpusNames) {
        const std::string path = rosterly::bench::corpusPath(name);
        Input input{name, ::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
        struct stat status {};
        if (input.descriptor < 0) continue;
        if (::fstat(input.descriptor, &status) != 0) {
            ::close(input.descriptor);
            continue;
        }
        input.size = status.st_size;
        readRange(input.descriptor, 0, input.size, std::size_t(1) << 20, false);  // now cached
        inputs.push_back(input);
    }
    if (inputs.empty()) {
        std::fprintf(stderr, "input_floor_bench: no corpus in %s (bench/make_corpus_set.sh)\n",
                     rosterly::bench::corpusDirectory().c_str());
        return 2;
    }
    for (const Input& input : inputs) registerInput(&input);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (const Input& input : inputs) ::close(input.descriptor);
    return 0;
}
