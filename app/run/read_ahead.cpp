#include "read_ahead.h"

#include <new>
#include <system_error>

#include "line_text.h"

namespace rosterly {
namespace {
// A batch also goes over after this much input, so that the run's progress keeps up with an
// input whose lines seldom hold "@".
constexpr qint64 kBatchInputBytes = InputLines::kDefaultBlockBytes;

bool worthThreads(const QIODevice& source, qint64 threadsFrom) {
    return source.isSequential() || source.size() >= threadsFrom;
}

Status failureOf(const std::exception& e) {
    if (dynamic_cast<const std::bad_alloc*>(&e))
        return Status::failure(QStringLiteral("not enough memory"));
    // Nothing else is expected to fail here; whatever does ends this input, not the program.
    return Status::failure(QString::fromLocal8Bit(e.what()));
}
}  // namespace

ReadAhead::ReadAhead(QIODevice& source, bool everyAddress, qsizetype lineLimit,
                     std::size_t batchUnits, qint64 threadsFrom)
    : m_prefetched(worthThreads(source, threadsFrom) ? std::make_unique<PrefetchedInput>(source)
                                                     : nullptr),
      m_lines(m_prefetched ? InputLines(*m_prefetched) : InputLines(source)),
      m_pieces(
          everyAddress,
          [this](const BoundedLine& line, BoundedLine::Outcome outcome) {
              const QByteArrayView standIn = line.standIn(outcome);
              if (standIn.isEmpty()) return;
              appendLowerCasedLine(standIn, m_filling->units);
              m_filling->ends.push_back(std::size_t(m_filling->units.size()));
          },
          lineLimit),
      m_batchUnits(batchUnits) {
    if (!m_prefetched) return;
    try {
        m_thread = std::thread([this] { read(); });
    } catch (const std::system_error&) {
        // The lines are then prepared within next(), as for a small input.
    }
}

ReadAhead::~ReadAhead() {
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    if (m_prefetched) m_prefetched->stop();
    if (m_thread.joinable()) m_thread.join();
}

ReadAhead::Step ReadAhead::next(const Batch*& batch, std::chrono::milliseconds wait) {
    if (!m_thread.joinable()) return nextInline(batch);
    std::unique_lock lock(m_mutex);
    if (m_handedOut) {
        m_handedOut = false;
        m_first = (m_first + 1) % kBatches;
        --m_ready;
        m_changed.notify_all();
    }
    if (!m_changed.wait_for(lock, wait, [this] { return m_ready > 0 || m_finished; })) {
        return Step::Waiting;
    }
    if (m_ready > 0) {
        m_handedOut = true;
        batch = &m_batches[m_first];
        return Step::Batch;
    }
    return m_status.ok() ? Step::End : Step::Error;
}

// Reads into `batch` until it is full or the input ends.
ReadAhead::Filled ReadAhead::fill(Batch& batch) {
    batch.units.truncate(0);  // keeping its room
    batch.ends.clear();
    m_filling = &batch;
    const qint64 start = m_lines.bytesConsumed();
    InputLines::Part part;
    InputLines::Step step = InputLines::Step::End;
    while ((step = m_lines.nextHolding('@', part)) == InputLines::Step::Part) {
        if (m_stop.load(std::memory_order_relaxed)) return Filled::Stopped;
        if (part.lineEnds) {
            m_pieces.endLine(part.bytes);
        } else {
            m_pieces.append(part.bytes);
        }
        batch.bytesConsumed = m_lines.bytesConsumed();
        if (std::size_t(batch.units.size()) >= m_batchUnits ||
            batch.bytesConsumed - start >= kBatchInputBytes) {
            return Filled::Full;
        }
    }
    batch.bytesConsumed = m_lines.bytesConsumed();
    return step == InputLines::Step::End ? Filled::End : Filled::Error;
}

// The lines prepared on the run's thread: one batch per call, the last one with whatever the
// input ended with.
ReadAhead::Step ReadAhead::nextInline(const Batch*& batch) {
    if (m_finished) return m_status.ok() ? Step::End : Step::Error;
    Batch& filling = m_batches[0];
    try {
        const Filled filled = fill(filling);
        m_finished = filled != Filled::Full;
        if (filled == Filled::Error) m_status = m_lines.status();
    } catch (const std::exception& e) {
        m_finished = true;
        m_status = failureOf(e);
    }
    batch = &filling;
    return Step::Batch;
}

// Runs on the reading thread: fills the batch after the last one handed over, once the run's
// thread has let go of it.
void ReadAhead::read() {
    std::size_t filling = 0;
    Status status = Status::success();
    try {
        for (;;) {
            const Filled filled = fill(m_batches[filling]);
            if (filled == Filled::Stopped) return;
            if (filled != Filled::Full) {
                if (filled == Filled::Error) status = m_lines.status();
                break;
            }
            if (!handOver()) return;
            filling = (filling + 1) % kBatches;
        }
    } catch (const std::exception& e) {
        status = failureOf(e);
    }
    // The batch being filled goes over as it is: lines read before a failure are not lost.
    {
        const std::lock_guard lock(m_mutex);
        ++m_ready;
    }
    finish(status);
}

// Hands the filled batch to the run's thread and waits until the next one is free; false when
// reading is to stop.
bool ReadAhead::handOver() {
    std::unique_lock lock(m_mutex);
    ++m_ready;
    m_changed.notify_all();
    m_changed.wait(lock, [this] { return m_ready < kBatches || m_stop; });
    return !m_stop;
}

void ReadAhead::finish(const Status& status) {
    {
        const std::lock_guard lock(m_mutex);
        m_status = status;
        m_finished = true;
    }
    m_changed.notify_all();
}

}  // namespace rosterly
