// The corpora that make_corpus_set.sh builds, as the benchmarks that read them find them.
#pragma once

#include <array>
#include <cstdlib>
#include <string>

namespace rosterly::bench {

constexpr std::array<const char*, 6> kCorpusNames = {"docs",    "metadata", "source",
                                                     "mailbox", "mixed",    "distinct"};

// The corpora's directory: ROSTERLY_CORPORA, or build/corpora where the benchmark set is built.
inline std::string corpusDirectory() {
    const char* dir = std::getenv("ROSTERLY_CORPORA");
    return dir != nullptr ? dir : "build/corpora";
}

// The file of corpus `name`.
inline std::string corpusPath(const char* name) {
    return corpusDirectory() + "/" + name + ".txt";
}

}  // namespace rosterly::bench
