#include "line_pieces.h"

#include <cstring>
#include <utility>

namespace rosterly {
namespace {

bool holdsTwoAts(QByteArrayView bytes) {
    if (bytes.isEmpty()) return false;  // a view of nothing may point nowhere
    const auto* at = static_cast<const char*>(std::memchr(bytes.data(), '@', size_t(bytes.size())));
    return at && std::memchr(at + 1, '@', size_t(bytes.data() + bytes.size() - at - 1));
}

}  // namespace

LinePieces::LinePieces(bool everyAddress, Handler handler, qsizetype limit)
    : m_everyAddress(everyAddress),
      m_handler(std::move(handler)),
      m_current(limit),
      m_next(limit) {}

void LinePieces::append(QByteArrayView bytes) {
    m_inLine = true;
    if (m_everyAddress) {
        m_cuts.append(bytes, *this);
    } else {
        m_current.append(bytes);
    }
}

void LinePieces::endLine() {
    m_handler(m_current, m_current.outcome());
    m_current.reset();
    m_cuts.reset();
    m_mayCut = false;
    m_inLine = false;
}

// A line in one part is reduced at once, unless pieces may be cut from it: with every address
// on, a cut falls between two "@" only, so a line with one "@" is one piece all the same.
void LinePieces::endLine(QByteArrayView lastBytes) {
    if (m_inLine || (m_everyAddress && holdsTwoAts(lastBytes))) {
        append(lastBytes);
        endLine();
        return;
    }
    m_handler(m_current, m_current.reduceWhole(lastBytes));
    m_current.reset();
}

void LinePieces::bytes(QByteArrayView bytes) {
    m_current.append(bytes);
    if (m_mayCut) m_next.append(bytes);
}

// The bytes after a possible cut hold no "@", so the current piece's outcome at the cut, and
// its stand-in, stay good while they flow into it.
void LinePieces::mayCut() {
    m_atCut = m_current.outcome();
    m_next.reset();
    m_mayCut = true;
}

void LinePieces::cut() {
    m_handler(m_current, m_atCut);
    std::swap(m_current, m_next);
    m_mayCut = false;
}

}  // namespace rosterly
