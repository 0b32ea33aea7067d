// The Internet transfer control of the main window: given a web address, fetch the document,
// handing its bytes on as they arrive, or fail with a reason.
#pragma once

#include <QByteArrayView>
#include <QString>

#include <functional>

#include "platform/status.h"

namespace rosterly {

// Takes the next bytes of the document, exactly as the server sent them (after any transfer
// encoding is undone). A failure stops the fetch, which then fails with that reason.
using FetchSink = std::function<Status(QByteArrayView bytes)>;

// Asked between the steps of a fetch, at least every InternetTransfer::kMaxStepMs milliseconds
// while the fetch waits; false abandons the fetch. The caller's chance to keep its window alive.
using FetchGoingOn = std::function<bool()>;

class InternetTransfer {
public:
    static constexpr int kMaxStepMs = 50;

    virtual ~InternetTransfer() = default;

    // The address the next fetch uses. Stored as given; checked only by the fetch.
    virtual void setUrl(const QString& url) = 0;
    virtual QString url() const = 0;

    // Fetches the document at url() into `sink`, on the calling thread, and returns once it has
    // arrived whole, failed or been abandoned; never throws. On failure the sink may have
    // taken part of the document: the caller discards it.
    virtual Status fetch(const FetchSink& sink, const FetchGoingOn& goingOn) = 0;
};

}  // namespace rosterly
