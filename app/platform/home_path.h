// Paths typed by the user, as a shell reads them.
#pragma once

#include <QString>

namespace rosterly {

// `path` with a leading "~/", or a lone "~", standing for the home directory `home`; any other
// path, "~user/..." and a "~" elsewhere included, comes back unchanged.
QString expandHome(const QString& path, const QString& home);

// The same with the user's own home directory.
QString expandHome(const QString& path);

}  // namespace rosterly
