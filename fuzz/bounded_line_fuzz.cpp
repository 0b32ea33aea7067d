// Feeds arbitrary lines, in parts of arbitrary size and with a small limit, to the bounded
// reduction of lines, whole and cut at every address, and checks each outcome against the
// control's own cleaning of the whole line (or of each whole piece); and each line at once.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "address_cuts.h"
#include "address_scanner.h"
#include "bounded_line.h"
#include "line_pieces.h"

namespace {

using rosterly::BoundedLine;
using Kind = BoundedLine::Kind;
using Result = std::pair<Kind, std::u16string>;

// The whole text through the control's entry test and cleaning; control characters are read
// as spaces, and an address over the limit is what the reduction calls TooLong.
Result wholeResult(QByteArrayView bytes, qsizetype limit) {
    std::u16string text;
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        text.push_back(byte < 32 || byte == 127 ? u' ' : char16_t(byte));
    }
    if (text.find(u'@') == std::u16string::npos) return {Kind::NoAt, {}};
    if (!corvell::hasAddressShape(text)) return {Kind::NoShape, {}};
    const std::u16string address(corvell::cleanAddress(text));
    if (address.empty()) return {Kind::NoAddress, {}};
    if (qsizetype(address.size()) > limit) return {Kind::TooLong, {}};
    return {Kind::Address, address};
}

Result reduced(const BoundedLine& line, BoundedLine::Outcome outcome) {
    const QByteArrayView standIn = line.standIn(outcome);
    if (outcome.kind != Kind::Address) return {outcome.kind, {}};
    return {outcome.kind, std::u16string(standIn.begin(), standIn.end())};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const qsizetype limit = 1 + data[0] % 24;
    const std::size_t part = 1 + data[1] % 16;
    // ASCII, so that bytes and characters agree; no line ends inside a line.
    std::string line;
    for (std::size_t i = 2; i < size; ++i) {
        const char c = static_cast<char>(data[i] & 0x7f);
        line += c == '\r' || c == '\n' ? '@' : c;
    }
    for (const bool every : {false, true}) {
        std::vector<Result> got;
        rosterly::LinePieces pieces(
            every,
            [&](const BoundedLine& piece, BoundedLine::Outcome outcome) {
                got.push_back(reduced(piece, outcome));
            },
            limit);
        for (std::size_t at = 0; at < line.size(); at += part) {
            pieces.append(
                QByteArrayView(line.data() + at, qsizetype(std::min(part, line.size() - at))));
        }
        pieces.endLine();
        std::vector<Result> expected;
        if (every) {
            for (const QByteArray& piece : rosterly::cutAtAddresses(line)) {
                expected.push_back(wholeResult(piece, limit));
            }
        } else {
            expected.push_back(wholeResult(line, limit));
        }
        if (got != expected) std::abort();
    }
    BoundedLine atOnce(limit);
    const BoundedLine::Outcome outcome =
        atOnce.reduceWhole(QByteArrayView(line.data(), qsizetype(line.size())));
    if (reduced(atOnce, outcome) != wholeResult(line, limit)) std::abort();
    return 0;
}
