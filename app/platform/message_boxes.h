// Modal message boxes with one OK button.
#pragma once

#include <QString>

namespace rosterly {

// The icon values the program's callers pass.
enum class MessageIcon { Critical = 16, Exclamation = 48, Information = 64 };

// The title a box shows when the caller gives no caption of its own.
inline QString programTitle() {
    return QStringLiteral("Rosterly");
}

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Shows `text` and returns when the user has closed the box. An empty
    // caption shows programTitle(). `details`, when not empty, is offered
    // beside the text for the user who wants to know more.
    virtual void show(const QString& text, MessageIcon icon, const QString& caption = {},
                      const QString& details = {}) = 0;
};

}  // namespace rosterly
