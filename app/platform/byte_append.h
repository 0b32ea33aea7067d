// Appending bytes to a byte array in one step.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <algorithm>

namespace rosterly {

// out += bytes, as one resize and one copy. QByteArray's own append goes through its general
// insert, which also checks whether the bytes lie inside the array itself: a list of millions of
// short lines paid for that on every line. `bytes` must not view `out`.
inline void appendBytes(QByteArray& out, QByteArrayView bytes) {
    const qsizetype at = out.size();
    out.resize(at + bytes.size());
    std::copy(bytes.begin(), bytes.end(), out.data() + at);
}

}  // namespace rosterly
