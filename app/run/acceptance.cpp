#include "acceptance.h"

namespace rosterly {

bool isAcceptable(QStringView address) {
    if (address.isEmpty()) {
        return false;
    }
    const char16_t first = address.front().unicode();
    return first > u'@' || (first == u'@' && address.size() > 1);
}

}  // namespace rosterly
