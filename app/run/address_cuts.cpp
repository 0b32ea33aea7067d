#include "address_cuts.h"

#include <cstring>

#include "address_bytes.h"

namespace rosterly {
namespace {

const char* lastLeftDelimiter(const char* from, const char* to) {
    while (to > from) {
        if (address_bytes::isLeft(*--to)) return to;
    }
    return nullptr;
}

// Gathers the pieces of one line, holding back the bytes after a possible cut.
class Pieces final : public AddressCuts::Sink {
public:
    void bytes(QByteArrayView bytes) override { (m_mayCut ? m_held : m_pieces.back()) += bytes; }
    void mayCut() override {
        m_pieces.back() += m_held;
        m_held.clear();
        m_mayCut = true;
    }
    void cut() override {
        m_pieces.push_back(m_held);
        m_held.clear();
        m_mayCut = false;
    }
    std::vector<QByteArray> finish() {
        m_pieces.back() += m_held;
        return std::move(m_pieces);
    }

private:
    std::vector<QByteArray> m_pieces{QByteArray()};
    QByteArray m_held;
    bool m_mayCut = false;
};

}  // namespace

void AddressCuts::append(QByteArrayView bytes, Sink& sink) {
    const char* p = bytes.data();
    const char* end = p + bytes.size();
    while (p < end) {
        const auto* at = static_cast<const char*>(std::memchr(p, '@', size_t(end - p)));
        const char* stop = at ? at : end;
        if (m_seenAt) {
            if (const char* delimiter = lastLeftDelimiter(p, stop)) {
                sink.bytes(QByteArrayView(p, delimiter + 1));
                sink.mayCut();
                m_mayCut = true;
                p = delimiter + 1;
            }
        }
        if (stop > p) sink.bytes(QByteArrayView(p, stop));
        if (!at) return;
        if (m_mayCut) sink.cut();
        m_mayCut = false;
        m_seenAt = true;
        sink.bytes(QByteArrayView(at, 1));
        p = at + 1;
    }
}

std::vector<QByteArray> cutAtAddresses(QByteArrayView line) {
    AddressCuts cuts;
    Pieces pieces;
    cuts.append(line, pieces);
    return pieces.finish();
}

}  // namespace rosterly
