#include "curl_transfer.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>

namespace rosterly {
namespace {

constexpr const char* kAllowedSchemes = "http,https,ftp,ftps";

// libcurl's global set-up is not thread-safe and must happen once before the first handle.
void initCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct Download {
    const FetchSink* sink = nullptr;
    qint64 received = 0;
    qint64 cap = 0;
    bool overCap = false;
    Status sinkStatus = Status::success();
};

// A server that sends no length (or lies about it) is stopped here; libcurl's own size check
// only sees a declared length.
size_t passChunkOn(char* data, size_t size, size_t count, void* target) {
    auto* download = static_cast<Download*>(target);
    const size_t bytes = size * count;
    if (qint64(bytes) > download->cap - download->received) {
        download->overCap = true;
        return 0;
    }
    download->received += qint64(bytes);
    download->sinkStatus = (*download->sink)(QByteArrayView(data, qsizetype(bytes)));
    return download->sinkStatus.ok() ? bytes : 0;
}

struct EasyDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct MultiDeleter {
    void operator()(CURLM* handle) const { curl_multi_cleanup(handle); }
};

void applyLimits(CURL* curl, const TransferLimits& limits) {
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, kAllowedSchemes);
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, kAllowedSchemes);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, limits.maxRedirects);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, long(limits.connectTimeout.count()));
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, limits.stallBytesPerSecond);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, long(limits.stallTimeout.count()));
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(limits.maxDocumentBytes));
    // Signals would interfere with the toolkit's own handling of them.
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "Rosterly/3.0");
}

QString describeFailure(CURLcode code, const char* detail, const Download& download,
                        const TransferLimits& limits) {
    if (download.overCap || code == CURLE_FILESIZE_EXCEEDED) {
        return QStringLiteral("The document is larger than %1 bytes.").arg(limits.maxDocumentBytes);
    }
    if (!download.sinkStatus.ok()) return download.sinkStatus.message();
    const QString text =
        detail[0] != '\0' ? QString::fromUtf8(detail) : QString::fromUtf8(curl_easy_strerror(code));
    return text.trimmed();
}

// The result of the one transfer of `multi`, once it has finished.
CURLcode finishedCode(CURLM* multi) {
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
        if (message->msg == CURLMSG_DONE) return message->data.result;
    }
    return CURLE_FAILED_INIT;
}

}  // namespace

CurlTransfer::CurlTransfer(TransferLimits limits) : m_limits(limits) {
    initCurlOnce();
}

Status CurlTransfer::fetch(const FetchSink& sink, const FetchGoingOn& goingOn) {
    std::unique_ptr<CURL, EasyDeleter> curl(curl_easy_init());
    std::unique_ptr<CURLM, MultiDeleter> multi(curl_multi_init());
    if (!curl || !multi)
        return Status::failure(QStringLiteral("The transfer could not be set up."));
    const QByteArray url = m_url.toUtf8();
    Download download;
    download.sink = &sink;
    download.cap = m_limits.maxDocumentBytes;
    char detail[CURL_ERROR_SIZE] = {};

    curl_easy_setopt(curl.get(), CURLOPT_URL, url.constData());
    curl_easy_setopt(curl.get(), CURLOPT_ERRORBUFFER, detail);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, &passChunkOn);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &download);
    applyLimits(curl.get(), m_limits);
    curl_multi_add_handle(multi.get(), curl.get());

    int running = 1;
    bool abandoned = false;
    while (running) {
        if (curl_multi_perform(multi.get(), &running) != CURLM_OK) break;
        if (!running) break;
        curl_multi_poll(multi.get(), nullptr, 0, kMaxStepMs, nullptr);
        if (!goingOn()) {
            abandoned = true;
            break;
        }
    }
    const CURLcode code = running ? CURLE_ABORTED_BY_CALLBACK : finishedCode(multi.get());
    curl_multi_remove_handle(multi.get(), curl.get());
    if (abandoned) return Status::failure(QStringLiteral("The transfer was cancelled."));
    if (code != CURLE_OK) return Status::failure(describeFailure(code, detail, download, m_limits));
    return Status::success();
}

}  // namespace rosterly
