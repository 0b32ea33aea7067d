// InternetTransfer over libcurl.
#pragma once

#include "internet_transfer.h"

#include <QtGlobal>
#include <chrono>

namespace rosterly {

// How long a fetch may wait and how much it may take. The defaults are the program's; tests
// shorten them.
struct TransferLimits {
    // Longest wait for the connection to a server (name lookup included).
    std::chrono::seconds connectTimeout{30};
    // A transfer that moves fewer than stallBytesPerSecond bytes per second for this long is
    // given up. A large document that keeps arriving is never cut off by time.
    std::chrono::seconds stallTimeout{30};
    long stallBytesPerSecond = 1;
    // Largest document accepted; a larger one is a failed fetch.
    qint64 maxDocumentBytes = qint64(256) * 1024 * 1024;
    // Redirects followed before the fetch fails.
    long maxRedirects = 10;
};

// Fetches over http, https, ftp and ftps only, also across redirects; any other scheme is a
// failed fetch. Certificates and host names are verified. An HTTP status of 400 or more is a
// failed fetch. Proxies named in the usual environment variables are honoured.
//
// The transfer is driven step by step (libcurl's multi interface), so the caller is asked
// whether to go on while a server is slow to answer, and a window stays responsive.
// Not thread-safe: one fetch at a time per object.
class CurlTransfer final : public InternetTransfer {
public:
    explicit CurlTransfer(TransferLimits limits = {});

    void setUrl(const QString& url) override { m_url = url; }
    QString url() const override { return m_url; }
    Status fetch(const FetchSink& sink, const FetchGoingOn& goingOn) override;

private:
    TransferLimits m_limits;
    QString m_url = QStringLiteral("ftp://");
};

}  // namespace rosterly
