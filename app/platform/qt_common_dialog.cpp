#include "qt_common_dialog.h"

#include <QFileDialog>

namespace rosterly {

void QtCommonDialog::showOpen() {
    m_fileName = QFileDialog::getOpenFileName(m_parent, QString(), QString(),
                                              toQtNameFilters(m_filter).join(QStringLiteral(";;")));
}

void QtCommonDialog::showSave() {
    m_fileName = QFileDialog::getSaveFileName(m_parent, QString(), QString(),
                                              toQtNameFilters(m_filter).join(QStringLiteral(";;")));
}

}  // namespace rosterly
