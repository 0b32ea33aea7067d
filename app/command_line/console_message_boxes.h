// The run's message boxes when it runs from a terminal or a script.
#pragma once

#include <cstdio>

#include "platform/message_boxes.h"

namespace rosterly {

// A summary goes to `out` with its line breaks made plain line feeds. A failure box goes to
// `err` as one line per reason it gives (its own text when it gives none); a warning goes there
// too. Every line on `err` starts with the program's name.
class ConsoleMessageBoxes final : public MessageBoxes {
public:
    ConsoleMessageBoxes(std::FILE* out, std::FILE* err) : m_out(out), m_err(err) {}

    void show(const QString& text, MessageIcon icon, const QString& caption = {},
              const QString& details = {}) override;

    // True once a failure box was shown.
    bool failed() const { return m_failed; }

private:
    std::FILE* m_out;
    std::FILE* m_err;
    bool m_failed = false;
};

// `text` with its CR LF and lone CR line breaks made LF.
QString withLineFeeds(QString text);

}  // namespace rosterly
