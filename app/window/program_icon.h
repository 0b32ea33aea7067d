// The program's icon: 32 x 32 and 16 x 16 pictures, 16 colours each.
#pragma once

#include <QIcon>

namespace rosterly {

QIcon programIcon();

}  // namespace rosterly
