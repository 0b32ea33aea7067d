// InternetTransfer that answers every fetch with a scripted document or failure and records
// the addresses it was asked for.
#pragma once

#include <QStringList>

#include <algorithm>

#include "internet_transfer.h"

namespace rosterly {

class FakeTransfer final : public InternetTransfer {
public:
    void setUrl(const QString& url) override { m_url = url; }
    QString url() const override { return m_url; }
    // Hands the document on in pieces of `pieceBytes`, asking whether to go on before each.
    Status fetch(const FetchSink& sink, const FetchGoingOn& goingOn) override {
        fetched << m_url;
        for (qsizetype at = 0; at < document.size(); at += pieceBytes) {
            if (!goingOn()) return Status::failure(QStringLiteral("The transfer was cancelled."));
            if (Status taken = sink(QByteArrayView(document).sliced(
                    at, std::min(pieceBytes, document.size() - at)));
                !taken.ok())
                return taken;
        }
        return failure.isEmpty() ? Status::success() : Status::failure(failure);
    }

    QByteArray document;
    QString failure;  // when not empty, every fetch fails with it (after handing on the document)
    qsizetype pieceBytes = 7;
    QStringList fetched;

private:
    QString m_url = QStringLiteral("ftp://");
};

}  // namespace rosterly
