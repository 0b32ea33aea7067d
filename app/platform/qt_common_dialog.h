// CommonDialog shown as Qt's file dialogs.
#pragma once

#include <QPointer>
#include <QWidget>

#include "common_dialog.h"

namespace rosterly {

class QtCommonDialog final : public CommonDialog {
public:
    // Dialogs are modal to `parent` when it is set and still alive.
    void setParent(QWidget* parent) { m_parent = parent; }

    void setFilter(const QString& filter) override { m_filter = filter; }
    QString filter() const override { return m_filter; }
    // Qt's dialogs answer an empty name when cancelled, so a cancelled
    // dialog leaves fileName() empty, also after an earlier choice.
    void showOpen() override;
    void showSave() override;
    QString fileName() const override { return m_fileName; }

private:
    QPointer<QWidget> m_parent;
    QString m_filter;
    QString m_fileName;
};

}  // namespace rosterly
