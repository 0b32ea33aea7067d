#include "qt_message_boxes.h"

#include <QMessageBox>

namespace rosterly {
namespace {

QMessageBox::Icon toQtIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Critical:
            return QMessageBox::Critical;
        case MessageIcon::Exclamation:
            return QMessageBox::Warning;
        case MessageIcon::Information:
            return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

void QtMessageBoxes::show(const QString& text, MessageIcon icon, const QString& caption,
                          const QString& details) {
    QMessageBox box(toQtIcon(icon), caption.isEmpty() ? programTitle() : caption, text,
                    QMessageBox::Ok, m_parent);
    // Texts are the program's own words and may hold "<": never rich text.
    box.setTextFormat(Qt::PlainText);
    box.setDetailedText(details);
    box.exec();
}

}  // namespace rosterly
