// CommonDialog that records its calls and answers each show with the next
// scripted file name (empty: the user cancelled).
#pragma once

#include <QStringList>

#include "platform/common_dialog.h"

namespace rosterly {

class RecordingCommonDialog final : public CommonDialog {
public:
    void setFilter(const QString& filter) override {
        m_filter = filter;
        calls << QStringLiteral("setFilter(%1)").arg(filter);
    }
    QString filter() const override { return m_filter; }
    void showOpen() override { answer(QStringLiteral("showOpen")); }
    void showSave() override { answer(QStringLiteral("showSave")); }
    QString fileName() const override { return m_fileName; }

    QStringList answers;  // consumed front first
    QStringList calls;

private:
    void answer(const QString& call) {
        calls << call;
        m_fileName = answers.isEmpty() ? QString() : answers.takeFirst();
    }

    QString m_filter;
    QString m_fileName;
};

}  // namespace rosterly
