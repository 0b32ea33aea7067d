#include "home_path.h"

#include <QDir>

namespace rosterly {

QString expandHome(const QString& path, const QString& home) {
    if (path != u'~' && !path.startsWith(QLatin1String("~/"))) return path;
    QString base = home;
    while (base.size() > 1 && base.endsWith(u'/')) base.chop(1);
    if (base == QLatin1String("/")) base.clear();
    return base + path.mid(1);
}

QString expandHome(const QString& path) {
    return expandHome(path, QDir::homePath());
}

}  // namespace rosterly
