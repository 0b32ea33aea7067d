#include "common_dialog.h"

namespace rosterly {
namespace {

QString toQtPatterns(const QString& patterns) {
    QStringList result;
    for (const QString& part : patterns.split(u';', Qt::SkipEmptyParts)) {
        const QString pattern = part.trimmed();
        if (pattern.isEmpty())
            continue;
        result << (pattern == u"*." || pattern == u"*.*" ? QStringLiteral("*") : pattern);
    }
    return result.isEmpty() ? QStringLiteral("*") : result.join(u' ');
}

}  // namespace

QStringList toQtNameFilters(const QString& filter) {
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        const QString patterns = toQtPatterns(i + 1 < parts.size() ? parts[i + 1] : QString());
        if (description.isEmpty() && i + 1 >= parts.size())
            continue;
        filters << QStringLiteral("%1 (%2)").arg(description.isEmpty() ? patterns : description,
                                                 patterns);
    }
    return filters;
}

}  // namespace rosterly
