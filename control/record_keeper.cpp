#include "record_keeper.h"

#include <new>
#include <utility>

namespace corvell {

RecordKeeper::RecordKeeper() = default;

RecordKeeper::~RecordKeeper() {
    {
        Monitor::Hold hold(m_monitor);
        m_stopping = true;
    }
    m_monitor.notifyAll();
    m_thread.join();
}

bool RecordKeeper::accepts(std::u16string_view address) {
    if (address.size() > kBatchUnits) return false;
    if (!m_handing) m_recordBound = m_record.size();
    if (address.size() > SeenText::kMaxSize - m_recordBound) return false;
    if (m_thread.running()) return true;
    if (m_threadRefused) return false;
    try {
        for (Batch& batch : m_batches) {
            batch.units.reserve(kBatchUnits);
            batch.ends.reserve(kBatchAddresses);
        }
    } catch (const std::bad_alloc&) {
        m_threadRefused = true;
        return false;
    }
    m_threadRefused = !m_thread.start([this] { testBatches(); });
    return !m_threadRefused;
}

void RecordKeeper::handOver(std::u16string_view address) {
    if (filling().units.size() + address.size() > kBatchUnits ||
        filling().ends.size() == kBatchAddresses) {
        publish();
    }
    Batch& batch = filling();
    batch.units.append(address);
    batch.ends.push_back(static_cast<std::uint32_t>(batch.units.size()));
    m_recordBound += address.size();
    m_handing = true;
}

// Passes the filling batch to the thread and waits until the next one is free.
void RecordKeeper::publish() {
    {
        Monitor::Hold hold(m_monitor);
        ++m_published;
        m_monitor.notifyAll();
        while (m_published - m_tested >= kBatches) hold.wait();
    }
    filling().units.clear();
    filling().ends.clear();
}

RecordKeeper::Settled RecordKeeper::settle() {
    Settled settled;
    if (!m_handing) return settled;
    if (!filling().ends.empty()) publish();
    Monitor::Hold hold(m_monitor);
    while (m_tested != m_published) hold.wait();
    settled.duplicates = std::exchange(m_duplicates, 0);
    settled.failure = std::exchange(m_failure, nullptr);
    m_failed.store(false, std::memory_order_relaxed);
    m_handing = false;
    return settled;
}

// The thread's body: tests the batches as they come, in order, until the keeper goes.
void RecordKeeper::testBatches() {
    for (;;) {
        const Batch* batch;
        {
            Monitor::Hold hold(m_monitor);
            while (m_tested == m_published && !m_stopping) hold.wait();
            if (m_stopping) return;
            batch = &m_batches[m_tested % kBatches];
        }
        const Tested tested = test(*batch);
        if (tested.failure) m_failed.store(true, std::memory_order_relaxed);
        Monitor::Hold hold(m_monitor);
        ++m_tested;
        m_duplicates += tested.duplicates;
        if (tested.failure && !m_failure) m_failure = tested.failure;
        m_monitor.notifyAll();
    }
}

// The addresses of a batch are known ahead: what each test reads first, table slots that most
// often miss the cache, is fetched kAhead addresses before, and what those slots lead to is
// fetched kHalfway addresses before, once they have arrived.
RecordKeeper::Tested RecordKeeper::test(const Batch& batch) {
    constexpr std::size_t kAhead = 8;
    constexpr std::size_t kHalfway = 4;
    const std::size_t count = batch.ends.size();
    const auto address = [&](std::size_t i) {
        const std::size_t start = i == 0 ? 0 : batch.ends[i - 1];
        return std::u16string_view(batch.units).substr(start, batch.ends[i] - start);
    };
    std::array<SeenText::Foresight, kAhead> ahead;
    for (std::size_t i = 0; i < kAhead && i < count; ++i) ahead[i] = m_record.foresee(address(i));
    for (std::size_t i = 0; i < kHalfway && i < count; ++i) m_record.fetchLists(ahead[i]);
    Tested tested;
    for (std::size_t i = 0; i < count; ++i) {
        const SeenText::Key key = ahead[i % kAhead].key;
        if (i + kAhead < count) ahead[i % kAhead] = m_record.foresee(address(i + kAhead));
        if (i + kHalfway < count) m_record.fetchLists(ahead[(i + kHalfway) % kAhead]);
        if (m_record.contains(address(i), key)) {
            ++tested.duplicates;
            continue;
        }
        try {
            m_record.append(address(i), key);
        } catch (...) {
            // The record stays exact without it (see SeenText); the caller hears of it.
            if (!tested.failure) tested.failure = std::current_exception();
        }
    }
    return tested;
}

}  // namespace corvell
