#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
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
// hand-over mostly allocates nothing and the thread takes the lock once a batch. A batch holds
// its addresses one byte a unit while none needs more, as the record does. Sixteen batches are
// kept for good; while the caller runs further ahead, more are made, up to 64 (some 65,000
// addresses), and given back to the system once the thread has caught up again. On two
// processors shared with a third busy thread, the two sides otherwise take turns, each waiting
// for the other about a quarter of the time; a deeper queue lets them work side by side more.
// A queued address takes a byte a unit and four more, about what it will take in the record; a
// full queue of typical addresses is some 2 MiB.
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
    static constexpr std::size_t kKeptBatches = 16;
    static constexpr std::size_t kMaxBatches = 64;

    class Batch;

    struct Tested {
        std::uint64_t duplicates = 0;
        std::exception_ptr failure;
    };

    void publish();
    void testBatches();
    Tested test(const Batch& batch);

    SeenText m_record;
    // The thread's room for a batch's addresses widened to two bytes a unit.
    std::u16string m_widened;
    // Addresses were handed over since the last settle().
    alignas(com::kCacheLine) bool m_handing = false;
    std::unique_ptr<Batch> m_filling;  // the caller's, while it fills it
    // The units the record can have at most once everything handed over is in.
    std::size_t m_recordBound = 0;

    BackgroundThread m_thread;
    // The thread or its batches could not be had: the caller tests every address itself, as
    // without a keeper, rather than asking the system again for each one.
    bool m_threadRefused = false;
    alignas(com::kCacheLine) Monitor m_monitor;
    // Under m_monitor: batches handed over, batches tested, and what the tests found. The
    // batches from m_tested to m_published - 1 wait in m_queued (at their number modulo
    // kMaxBatches), the first of them while the thread tests it; m_spare are free for the
    // caller. m_made counts every batch there is, the caller's included.
    std::array<std::unique_ptr<Batch>, kMaxBatches> m_queued;
    std::vector<std::unique_ptr<Batch>> m_spare;
    std::size_t m_made = 0;
    std::uint64_t m_published = 0;
    std::uint64_t m_tested = 0;
    std::uint64_t m_duplicates = 0;
    std::exception_ptr m_failure;
    bool m_stopping = false;
    std::atomic<bool> m_failed{false};
};

}  // namespace corvell
