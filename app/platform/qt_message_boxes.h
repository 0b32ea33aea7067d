// MessageBoxes shown as QMessageBox.
#pragma once

#include <QPointer>
#include <QWidget>

#include "message_boxes.h"

namespace rosterly {

class QtMessageBoxes final : public MessageBoxes {
public:
    // Boxes are modal to `parent` when it is set and still alive.
    void setParent(QWidget* parent) { m_parent = parent; }
    void show(const QString& text, MessageIcon icon, const QString& caption = {},
              const QString& details = {}) override;

private:
    QPointer<QWidget> m_parent;
};

}  // namespace rosterly
