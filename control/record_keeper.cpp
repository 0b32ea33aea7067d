#include "record_keeper.h"

#include <cstring>
#include <new>
#include <utility>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace corvell {

namespace {

// Copies the units one byte each while they fit one; false at the first that does not (some
// bytes may then be written).
bool narrowInto(std::u16string_view units, unsigned char* to) {
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i high = _mm_set1_epi16(static_cast<short>(0xFF00));
    for (; i + 8 <= units.size(); i += 8) {
        const __m128i eight = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units.data() + i));
        const __m128i wide = _mm_cmpeq_epi8(_mm_and_si128(eight, high), _mm_setzero_si128());
        if (_mm_movemask_epi8(wide) != 0xFFFF) return false;
        _mm_storel_epi64(reinterpret_cast<__m128i*>(to + i), _mm_packus_epi16(eight, eight));
    }
#endif
    for (; i < units.size(); ++i) {
        if (units[i] > 0xFF) return false;
        to[i] = static_cast<unsigned char>(units[i]);
    }
    return true;
}

void widenInto(const unsigned char* from, std::size_t count, char16_t* to) {
    std::size_t i = 0;
#if defined(__SSE2__)
    for (; i + 16 <= count; i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i));
        auto* out = reinterpret_cast<__m128i*>(to + i);
        _mm_storeu_si128(out, _mm_unpacklo_epi8(bytes, _mm_setzero_si128()));
        _mm_storeu_si128(out + 1, _mm_unpackhi_epi8(bytes, _mm_setzero_si128()));
    }
#endif
    for (; i < count; ++i) to[i] = from[i];
}

}  // namespace

// A batch's room is mapped from the system where it can be, so that a batch given back returns
// its pages at once (the allocator's heap would keep them), and pages never written (the second
// half of a batch of one-byte units) are never claimed.
class RecordKeeper::Batch {
public:
    static constexpr std::size_t kAddresses = 1024;

    // Throws std::bad_alloc.
    Batch() : m_room(static_cast<unsigned char*>(claim(kRoomBytes))) {}
    ~Batch() { release(m_room, kRoomBytes); }
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

    // Appends `address` when the batch has room for it; false, and nothing changed, when not. A
    // batch of one-byte units has none for an address with a wider one.
    bool append(std::u16string_view address) {
        if (m_count == kAddresses || m_units + address.size() > kBatchUnits) return false;
        if (!m_wide && !narrowInto(address, m_room + m_units)) {
            if (m_count != 0) return false;
            m_wide = true;
        }
        if (m_wide) std::memcpy(m_room + 2 * m_units, address.data(), 2 * address.size());
        m_units += address.size();
        ends()[m_count++] = static_cast<std::uint32_t>(m_units);
        return true;
    }
    void clear() {
        m_count = m_units = 0;
        m_wide = false;
    }
    bool empty() const { return m_count == 0; }
    std::size_t count() const { return m_count; }
    // Where address `i` ends among the units.
    std::uint32_t end(std::size_t i) const { return ends()[i]; }
    // The addresses one after another, two bytes a unit; one-byte units are widened into
    // `widened` (room for kBatchUnits), which the view then shows.
    std::u16string_view units(char16_t* widened) const {
        if (m_wide) return {reinterpret_cast<const char16_t*>(m_room), m_units};
        widenInto(m_room, m_units, widened);
        return {widened, m_units};
    }

private:
    // Two bytes for each unit, then the ends.
    static constexpr std::size_t kRoomBytes = 2 * kBatchUnits + kAddresses * sizeof(std::uint32_t);

    std::uint32_t* ends() const {
        return reinterpret_cast<std::uint32_t*>(m_room + 2 * kBatchUnits);
    }

    static void* claim(std::size_t bytes) {
#if defined(__linux__)
        void* room =
            ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (room == MAP_FAILED) throw std::bad_alloc();
        return room;
#else
        return ::operator new(bytes);
#endif
    }
    static void release(void* room, [[maybe_unused]] std::size_t bytes) {
#if defined(__linux__)
        ::munmap(room, bytes);
#else
        ::operator delete(room);
#endif
    }

    unsigned char* m_room;
    std::size_t m_units = 0;
    std::size_t m_count = 0;
    bool m_wide = false;
};

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
        m_spare.reserve(kMaxBatches);
        m_widened.resize(kBatchUnits);
        m_filling = std::make_unique<Batch>();
        m_made = 1;
    } catch (const std::bad_alloc&) {
        m_threadRefused = true;
        return false;
    }
    m_threadRefused = !m_thread.start([this] { testBatches(); });
    return !m_threadRefused;
}

void RecordKeeper::handOver(std::u16string_view address) {
    if (!m_filling->append(address)) {
        publish();
        m_filling->append(address);  // an empty batch takes any address accepts() let through
    }
    m_recordBound += address.size();
    m_handing = true;
}

// Passes the filling batch to the thread and takes the next one: a spare, a new one while there
// may be more, or else the first the thread gives back.
void RecordKeeper::publish() {
    for (bool queued = false;;) {
        {
            Monitor::Hold hold(m_monitor);
            if (!queued) {
                m_queued[m_published % kMaxBatches] = std::move(m_filling);
                ++m_published;
                m_monitor.notifyAll();
                queued = true;
            }
            while (m_spare.empty() && m_made == kMaxBatches) hold.wait();
            if (!m_spare.empty()) {
                m_filling = std::move(m_spare.back());
                m_spare.pop_back();
                m_filling->clear();
                return;
            }
            ++m_made;
        }
        try {
            m_filling = std::make_unique<Batch>();
            return;
        } catch (const std::bad_alloc&) {
            // No room for another: the caller waits for one of those there are.
            Monitor::Hold hold(m_monitor);
            --m_made;
            while (m_spare.empty()) hold.wait();
        }
    }
}

RecordKeeper::Settled RecordKeeper::settle() {
    Settled settled;
    if (!m_handing) return settled;
    if (!m_filling->empty()) publish();
    Monitor::Hold hold(m_monitor);
    while (m_tested != m_published) hold.wait();
    settled.duplicates = std::exchange(m_duplicates, 0);
    settled.failure = std::exchange(m_failure, nullptr);
    m_failed.store(false, std::memory_order_relaxed);
    m_handing = false;
    return settled;
}

// The thread's body: tests the batches as they come, in order, until the keeper goes. A batch
// beyond those kept goes back to the system once the caller is no longer far ahead.
void RecordKeeper::testBatches() {
    for (;;) {
        const Batch* batch;
        {
            Monitor::Hold hold(m_monitor);
            while (m_tested == m_published && !m_stopping) hold.wait();
            if (m_stopping) return;
            batch = m_queued[m_tested % kMaxBatches].get();
        }
        const Tested tested = test(*batch);
        if (tested.failure) m_failed.store(true, std::memory_order_relaxed);
        std::unique_ptr<Batch> given;
        {
            Monitor::Hold hold(m_monitor);
            std::unique_ptr<Batch>& done = m_queued[m_tested % kMaxBatches];
            ++m_tested;
            if (m_made > kKeptBatches && m_published - m_tested < kKeptBatches) {
                given = std::move(done);
                --m_made;
            } else {
                m_spare.push_back(std::move(done));
            }
            m_duplicates += tested.duplicates;
            if (tested.failure && !m_failure) m_failure = tested.failure;
            m_monitor.notifyAll();
        }
    }
}

// The addresses of a batch are known ahead: what each test reads first, table slots that most
// often miss the cache, is fetched kAhead addresses before, and what those slots lead to is
// fetched kHalfway addresses before, once they have arrived.
RecordKeeper::Tested RecordKeeper::test(const Batch& batch) {
    constexpr std::size_t kAhead = 8;
    constexpr std::size_t kHalfway = 4;
    const std::size_t count = batch.count();
    const std::u16string_view units = batch.units(m_widened.data());
    const auto address = [&](std::size_t i) {
        const std::size_t start = i == 0 ? 0 : batch.end(i - 1);
        return units.substr(start, batch.end(i) - start);
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
