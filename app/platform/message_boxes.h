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
    // caption shows programTitle().
    virtual void show(const QString& text, MessageIcon icon, const QString& caption = {}) = 0;
};

}  // namespace rosterly
