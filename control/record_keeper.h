#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "background_thread.h"
#include "com/cache_prefetch.h"
#include "seen_text.h"

namespace corvell {

// The record of the cleaned addresses a Sievan has produced, with a thread of its own that tests
// them against it. Extract hands an address over and goes on; only the number of duplicates
// waits for the test, and whoever needs it settles first. Testing is most of an address's cost
// when most addresses are new, and this way it runs beside the caller's own work.
//
// Addresses travel in batches of fixed room that the two threads pass back and forth, so a
// hand-over allocates nothing and the thread takes the lock once a batch. The caller may be up
// to sixteen batches ahead (about 1 MiB): enough that neither waits for the other while one of
// them is held up for a moment, and little to wait for when the count is wanted.
//
// All members are for the caller's thread; the record itself is the caller's only between
// settle() and the next handOver().
//
// What the thread writes for every address (the record), what the caller writes for every
// address (its batch, its own fields) and what both write once a batch (the monitor's state)
// stand on cache lines of their own, and so does the keeper within its owner.
class alignas(com::kCacheLine) RecordKeeper {
public:
    // A batch's room, and so the longest address handed over.
    static constexpr std::size_t kBatchUnits = 32768;

    RecordKeeper();
    ~RecordKeeper();  // the addresses not tested yet are dropped
    RecordKeeper(const RecordKeeper&) = delete;
    RecordKeeper& operator=(const RecordKeeper&) = delete;

    // Whether `address` may be handed over: it fits a batch, the record cannot outgrow its
    // limit with it, and the thread runs (it is started here on first need; if that fails, it
    // is not tried again). When not, the caller settles and tests it itself.
    bool accepts(std::u16string_view address);
    // Hands over an address accepted just before, to be tested against the record and added to
    // it when it is new. Waits while every batch is taken.
    void handOver(std::u16string_view address);

    struct Settled {
        std::uint64_t duplicates = 0;  // of the addresses handed over since the last settle()
        std::exception_ptr failure;    // recording one of them threw this (the first such)
    };
    // Waits until every address handed over is tested and recorded.
    Settled settle();
    // A failure is waiting to be settled; cheap, for the caller to report it early.
    bool failed() const { return m_failed.load(std::memory_order_relaxed); }

    // The record, for the caller's own tests and its reset: valid right after settle(), until the
    // next handOver().
    SeenText& record() { return m_record; }

private:
    static constexpr std::size_t kBatches = 16;
    static constexpr std::size_t kBatchAddresses = 1024;

    struct alignas(com::kCacheLine) Batch {
        std::u16string units;             // the addresses, one after another
        std::vector<std::uint32_t> ends;  // where each ends in `units`
    };

    struct Tested {
        std::uint64_t duplicates = 0;
        std::exception_ptr failure;
    };

    Batch& filling() { return m_batches[m_published % kBatches]; }
    void publish();
    void testBatches();
    Tested test(const Batch& batch);

    SeenText m_record;
    std::array<Batch, kBatches> m_batches;
    // Addresses were handed over since the last settle().
    alignas(com::kCacheLine) bool m_handing = false;
    // The units the record can have at most once everything handed over is in.
    std::size_t m_recordBound = 0;

    BackgroundThread m_thread;
    // The thread or its batches could not be had: the caller tests every address itself, as
    // without a keeper, rather than asking the system again for each one.
    bool m_threadRefused = false;
    alignas(com::kCacheLine) Monitor m_monitor;
    // Under m_monitor: batches handed over, batches tested, and what the tests found.
    std::uint64_t m_published = 0;
    std::uint64_t m_tested = 0;
    std::uint64_t m_duplicates = 0;
    std::exception_ptr m_failure;
    bool m_stopping = false;
    std::atomic<bool> m_failed{false};
};

}  // namespace corvell
