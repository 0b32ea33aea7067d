#include "console_message_boxes.h"

#include <QStringList>

namespace rosterly {

QString withLineFeeds(QString text) {
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
}

void ConsoleMessageBoxes::show(const QString& text, MessageIcon icon, const QString& caption,
                               const QString& details) {
    (void)caption;
    if (icon == MessageIcon::Information) {
        std::fprintf(m_out, "%s\n", withLineFeeds(text).toLocal8Bit().constData());
        std::fflush(m_out);
        return;
    }
    if (icon == MessageIcon::Critical) m_failed = true;
    const QString said = details.isEmpty() ? withLineFeeds(text).replace(u'\n', u' ') : details;
    for (const QString& line : said.split(u'\n', Qt::SkipEmptyParts))
        std::fprintf(m_err, "rosterly: %s\n", line.toLocal8Bit().constData());
    std::fflush(m_err);
}

}  // namespace rosterly
