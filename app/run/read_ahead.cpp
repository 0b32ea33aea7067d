#include "read_ahead.h"

#include <new>
#include <system_error>

#include "input_lines.h"
#include "line_pieces.h"
#include "line_text.h"

namespace rosterly {
namespace {
// A batch also goes over after this much input, so that the run's progress keeps up with an
// input whose lines seldom hold "@".
constexpr qint64 kBatchInputBytes = InputLines::kDefaultBlockBytes;
}  // namespace

ReadAhead::ReadAhead(QIODevice& source, bool everyAddress, qsizetype lineLimit,
                     std::size_t batchUnits)
    : m_input(source), m_everyAddress(everyAddress), m_lineLimit(lineLimit),
      m_batchUnits(batchUnits) {
    try {
        m_thread = std::thread([this] { read(); });
    } catch (const std::system_error&) {
        finish(Status::failure(QStringLiteral("no thread could be started to read it")));
    }
}

ReadAhead::~ReadAhead() {
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_input.stop();
    if (m_thread.joinable()) m_thread.join();
}

ReadAhead::Step ReadAhead::next(const Batch*& batch, std::chrono::milliseconds wait) {
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

// Runs on the reading thread: fills the batch after the last one handed over, once the run's
// thread has let go of it.
void ReadAhead::read() {
    std::size_t filling = 0;
    Batch* batch = &m_batches[filling];
    Status status = Status::success();
    qint64 consumed = 0;
    try {
        InputLines lines(m_input);
        LinePieces pieces(
            m_everyAddress,
            [&batch](const BoundedLine& line, BoundedLine::Outcome outcome) {
                const QByteArrayView standIn = line.standIn(outcome);
                if (standIn.isEmpty()) return;
                appendLowerCasedLine(standIn, batch->units);
                batch->ends.push_back(batch->units.size());
            },
            m_lineLimit);
        qint64 inputAtBatch = 0;
        InputLines::Part part;
        InputLines::Step step = InputLines::Step::End;
        while ((step = lines.nextHolding('@', part)) == InputLines::Step::Part) {
            if (m_stop.load(std::memory_order_relaxed)) return;
            pieces.append(part.bytes);
            if (part.lineEnds) pieces.endLine();
            consumed = lines.bytesConsumed();
            if (batch->units.size() < m_batchUnits && consumed - inputAtBatch < kBatchInputBytes) {
                continue;
            }
            if (!handOver(*batch, consumed)) return;
            filling = (filling + 1) % kBatches;
            batch = &m_batches[filling];
            batch->units.clear();
            batch->ends.clear();
            inputAtBatch = consumed;
        }
        if (step == InputLines::Step::Error) status = lines.status();
        consumed = lines.bytesConsumed();
    } catch (const std::bad_alloc&) {
        status = Status::failure(QStringLiteral("not enough memory"));
    } catch (const std::exception& e) {
        // Nothing else is expected to fail here; whatever does ends this input, not the program.
        status = Status::failure(QString::fromLocal8Bit(e.what()));
    }
    // The batch being filled goes over as it is: lines read before a failure are not lost.
    batch->bytesConsumed = consumed;
    {
        const std::lock_guard lock(m_mutex);
        ++m_ready;
    }
    finish(status);
}

// Hands the filled batch to the run's thread and waits until the next one is free; false when
// reading is to stop.
bool ReadAhead::handOver(Batch& filled, qint64 bytesConsumed) {
    filled.bytesConsumed = bytesConsumed;
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
