#include "fetched_document.h"

#include <algorithm>

namespace rosterly {

void appendWithCrLfBreaks(QByteArrayView bytes, bool& afterReturn, QByteArray& out) {
    const char* at = bytes.data();
    const char* const end = at + bytes.size();
    if (afterReturn && at != end && *at == '\n') ++at;
    afterReturn = false;
    while (at != end) {
        const char* breakAt = std::find_if(at, end, [](char c) { return c == '\r' || c == '\n'; });
        out.append(at, breakAt - at);
        if (breakAt == end) break;
        out.append("\r\n", 2);
        at = breakAt + 1;
        if (*breakAt == '\r') {
            if (at == end) {
                afterReturn = true;
            } else if (*at == '\n') {
                ++at;
            }
        }
    }
}

FetchedDocumentFile::FetchedDocumentFile(const QString& path) : m_file(path) {}

Status FetchedDocumentFile::failure() {
    return Status::failure(QStringLiteral("Temporary file \"%1\" cannot be written: %2.")
                               .arg(m_file.fileName(), m_file.errorString()));
}

Status FetchedDocumentFile::open() {
    return m_file.open(QIODevice::WriteOnly) ? Status::success() : failure();
}

Status FetchedDocumentFile::append(QByteArrayView bytes) {
    m_converted.clear();
    appendWithCrLfBreaks(bytes, m_afterReturn, m_converted);
    if (m_file.write(m_converted) != m_converted.size()) return failure();
    return Status::success();
}

Status FetchedDocumentFile::commit() {
    return m_file.commit() ? Status::success() : failure();
}

}  // namespace rosterly
