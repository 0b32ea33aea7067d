// InternetTransfer that answers every fetch with a scripted document or failure and records
// the addresses it was asked for.
#pragma once

#include <QStringList>

#include "internet_transfer.h"

namespace rosterly {

class FakeTransfer final : public InternetTransfer {
public:
    void setUrl(const QString& url) override { m_url = url; }
    QString url() const override { return m_url; }
    FetchResult fetch() override {
        fetched << m_url;
        return failure.isEmpty() ? FetchResult::success(document) : FetchResult::failure(failure);
    }

    QByteArray document;
    QString failure;  // when not empty, every fetch fails with it
    QStringList fetched;

private:
    QString m_url = QStringLiteral("ftp://");
};

}  // namespace rosterly
