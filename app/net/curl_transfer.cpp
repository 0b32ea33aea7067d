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
    QByteArray bytes;
    qint64 cap = 0;
    bool overCap = false;
};

// A server that sends no length (or lies about it) is stopped here; libcurl's own size check
// only sees a declared length.
size_t appendChunk(char* data, size_t size, size_t count, void* target) {
    auto* download = static_cast<Download*>(target);
    const size_t bytes = size * count;
    if (qint64(bytes) > download->cap - download->bytes.size()) {
        download->overCap = true;
        return 0;
    }
    download->bytes.append(data, qsizetype(bytes));
    return bytes;
}

struct HandleDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
using Handle = std::unique_ptr<CURL, HandleDeleter>;

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
    // The run is on the window's thread; signals would interfere with the toolkit.
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "Rosterly/3.0");
}

QString describeFailure(CURLcode code, const char* detail, const Download& download,
                        const TransferLimits& limits) {
    if (download.overCap || code == CURLE_FILESIZE_EXCEEDED) {
        return QStringLiteral("The document is larger than %1 bytes.").arg(limits.maxDocumentBytes);
    }
    const QString text =
        detail[0] != '\0' ? QString::fromUtf8(detail) : QString::fromUtf8(curl_easy_strerror(code));
    return text.trimmed();
}

}  // namespace

CurlTransfer::CurlTransfer(TransferLimits limits) : m_limits(limits) {
    initCurlOnce();
}

FetchResult CurlTransfer::fetch() {
    Handle curl(curl_easy_init());
    if (!curl) {
        return FetchResult::failure(QStringLiteral("The transfer could not be set up."));
    }
    const QByteArray url = m_url.toUtf8();
    Download download;
    download.cap = m_limits.maxDocumentBytes;
    char detail[CURL_ERROR_SIZE] = {};

    curl_easy_setopt(curl.get(), CURLOPT_URL, url.constData());
    curl_easy_setopt(curl.get(), CURLOPT_ERRORBUFFER, detail);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, &appendChunk);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &download);
    applyLimits(curl.get(), m_limits);

    const CURLcode code = curl_easy_perform(curl.get());
    if (code != CURLE_OK) {
        return FetchResult::failure(describeFailure(code, detail, download, m_limits));
    }
    return FetchResult::success(std::move(download.bytes));
}

}  // namespace rosterly
