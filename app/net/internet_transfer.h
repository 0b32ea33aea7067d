// The Internet transfer control of the main window: given a web address, fetch the whole
// document, synchronously, or fail with a reason.
#pragma once

#include <QByteArray>
#include <QString>
#include <utility>

namespace rosterly {

// The outcome of one fetch: the document's bytes, or the reason it could not be had.
// A failed fetch carries no bytes.
class [[nodiscard]] FetchResult {
public:
    static FetchResult success(QByteArray document) { return FetchResult(std::move(document), {}); }
    static FetchResult failure(QString reason) { return FetchResult({}, std::move(reason)); }

    bool ok() const { return m_reason.isEmpty(); }
    // The whole document, exactly as the server sent it (after any transfer encoding is undone).
    const QByteArray& document() const { return m_document; }
    // Empty on success; a short description for the user otherwise.
    const QString& reason() const { return m_reason; }

private:
    FetchResult(QByteArray document, QString reason)
        : m_document(std::move(document)), m_reason(std::move(reason)) {}

    QByteArray m_document;
    QString m_reason;
};

class InternetTransfer {
public:
    virtual ~InternetTransfer() = default;

    // The address the next fetch uses. Stored as given; checked only by the fetch.
    virtual void setUrl(const QString& url) = 0;
    virtual QString url() const = 0;

    // Fetches the document at url(). Blocks until it has arrived or the fetch has failed;
    // never throws.
    virtual FetchResult fetch() = 0;
};

}  // namespace rosterly
