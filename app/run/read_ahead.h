// The lines of one input as the harvesting control is asked about them, prepared on a thread
// of their own while the run hands the ones before them to the control.
#pragma once

#include <QIODevice>
#include <QStringView>

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "bounded_line.h"
#include "com/cache_prefetch.h"
#include "input_lines.h"
#include "line_pieces.h"
#include "platform/status.h"
#include "prefetched_input.h"

namespace rosterly {

// Reads the input, skips the lines without "@", reduces every other line (or, with every address
// on, every piece of it) to its bounded stand-in and lower-cases it, as LinePieces and
// appendLowerCasedLine() do, and hands the results over in batches, in input order. For a large
// input reading and preparing run on threads of their own (PrefetchedInput, and one more), so they
// take no time from the run's own thread, and a slow input never keeps that thread from its
// window: it waits for a batch for as long as it chooses. A small input (a file of less than
// `threadsFrom` bytes), or one for which no thread can be started, is prepared batch by batch
// within next(), where starting threads would cost more than they save.
//
// Memory stays bounded whatever the input: a few batches, each of up to `batchUnits` units plus
// one stand-in. The source must be open for reading and must outlive this object; nothing else
// may use it meanwhile. Destroying the object stops the reading and waits for its threads.
class ReadAhead {
public:
    static constexpr std::size_t kDefaultBatchUnits = std::size_t(1) << 16;
    static constexpr qint64 kDefaultThreadsFrom = qint64(4) << 20;

    // A batch is on cache lines of its own: the reading thread fills one while the run's thread
    // reads the one before it, line after line.
    struct alignas(com::kCacheLine) Batch {
        QString units;                  // the batch's lines, one after another
        std::vector<std::size_t> ends;  // where each line ends in `units`
        qint64 bytesConsumed = 0;  // input bytes read and prepared when the batch was handed over

        std::size_t count() const { return ends.size(); }
        QStringView line(std::size_t i) const {
            const std::size_t begin = i == 0 ? 0 : ends[i - 1];
            return QStringView(units).sliced(qsizetype(begin), qsizetype(ends[i] - begin));
        }
        void prefetch(std::size_t i) const {
            com::prefetchLine(units.data() + (i == 0 ? 0 : ends[i - 1]));
        }
    };

    enum class Step { Batch, Waiting, End, Error };

    ReadAhead(QIODevice& source, bool everyAddress,
              qsizetype lineLimit = BoundedLine::kDefaultLimit,
              std::size_t batchUnits = kDefaultBatchUnits,
              qint64 threadsFrom = kDefaultThreadsFrom);
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // The next batch, valid until the next call; Waiting when none was ready within `wait`. End
    // and Error come once every batch has been handed over, and then on every further call.
    Step next(const Batch*& batch, std::chrono::milliseconds wait);

    // Why the input could not be read; a success unless next() gave Error.
    const Status& status() const { return m_status; }

private:
    // Two processors serve three busy threads (the reading one, the run's, the control's
    // record): the reading thread often waits for a processor, and with room for a few batches
    // only, the run's thread then waits for it in turn. Eight (about 1 MiB) keep it supplied.
    static constexpr std::size_t kBatches = 8;
    enum class Filled { Full, End, Error, Stopped };

    Filled fill(Batch& batch);
    Step nextInline(const Batch*& batch);
    void read();  // the reading thread
    bool handOver();
    void finish(const Status& status);

    // What the lines are read through: the source itself, or the source read ahead.
    std::unique_ptr<PrefetchedInput> m_prefetched;
    InputLines m_lines;
    LinePieces m_pieces;
    Batch* m_filling = nullptr;  // where m_pieces puts the lines it prepares
    const std::size_t m_batchUnits;

    alignas(com::kCacheLine) std::mutex m_mutex;
    std::condition_variable m_changed;
    // A ring: the `m_ready` batches from `m_first` on belong to the run's thread (the first of
    // them while it is being handed out), the others to the reading thread.
    std::array<Batch, kBatches> m_batches;
    std::size_t m_first = 0;
    std::size_t m_ready = 0;
    bool m_handedOut = false;             // the run's thread holds m_batches[m_first]
    bool m_finished = false;              // the last batch has been handed over
    Status m_status = Status::success();  // written before m_finished is set
    std::atomic<bool> m_stop{false};
    std::thread m_thread;  // none while the lines are prepared within next()
};

}  // namespace rosterly
