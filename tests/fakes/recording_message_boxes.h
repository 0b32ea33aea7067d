// MessageBoxes that records every box instead of showing it.
#pragma once

#include <vector>

#include "platform/message_boxes.h"

namespace rosterly {

class RecordingMessageBoxes final : public MessageBoxes {
public:
    struct Shown {
        QString text;
        MessageIcon icon;
        QString caption;  // as passed: empty means the program's title
        QString details;
    };

    void show(const QString& text, MessageIcon icon, const QString& caption = {},
              const QString& details = {}) override {
        shown.push_back({text, icon, caption, details});
    }

    std::vector<Shown> shown;
};

}  // namespace rosterly
