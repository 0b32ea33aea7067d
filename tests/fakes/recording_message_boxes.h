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
    };

    void show(const QString& text, MessageIcon icon, const QString& caption = {}) override {
        shown.push_back({text, icon, caption});
    }

    std::vector<Shown> shown;
};

}  // namespace rosterly
