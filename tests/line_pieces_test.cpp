// Lines handed over as bounded pieces: whole, or cut at every address, in parts of any size.
#include "line_pieces.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "address_scanner.h"
#include "support/lower_cased.h"
#include "support/qt_print.h"

namespace rosterly {
namespace {

// What the control cleans a stand-in to: the address, "" for none, "-" for not asked.
QString addressOf(const BoundedLine& piece, BoundedLine::Outcome outcome) {
    const QByteArrayView standIn = piece.standIn(outcome);
    if (standIn.isEmpty()) return QStringLiteral("-");
    const QString text = lowerCased(standIn);
    const std::u16string_view view(reinterpret_cast<const char16_t*>(text.utf16()),
                                   size_t(text.size()));
    if (!corvell::hasAddressShape(view)) return QString();
    const std::u16string_view address = corvell::cleanAddress(view);
    return QString::fromUtf16(address.data(), qsizetype(address.size()));
}

QStringList harvest(const QByteArray& input, bool everyAddress, qsizetype part,
                    qsizetype limit = BoundedLine::kDefaultLimit) {
    QStringList addresses;
    LinePieces pieces(
        everyAddress,
        [&](const BoundedLine& piece, BoundedLine::Outcome outcome) {
            addresses << addressOf(piece, outcome);
        },
        limit);
    for (const QByteArray& line : input.split('\n')) {
        // As the reader hands a line over: its last part comes with its end.
        qsizetype at = 0;
        for (; line.size() - at > part; at += part) pieces.append(line.mid(at, part));
        pieces.endLine(line.mid(at));
    }
    return addresses;
}

TEST(LinePiecesTest, EveryAddressOnALine) {
    struct Case {
        QByteArray line;
        QStringList addresses;
    };
    for (const Case& c : {
             Case{"To: A@x.io, b@y.io;c@z.io", {"a@x.io", "b@y.io", "c@z.io"}},
             Case{"abc@@b.c d@e.f", {"abc@@b.c", "d@e.f"}},
             Case{"x@y.z!a@b.c", {"x@y.z"}},
             Case{"a@b.c d@e", {"a@b.c", ""}},
             Case{"Ann\tann@example.com\tParis", {"ann@example.com"}},
             Case{"no address", {"-"}},
         }) {
        for (qsizetype part : {1, 3, 100}) {
            EXPECT_EQ(harvest(c.line, true, part), c.addresses) << c.line.toStdString();
        }
    }
}

// A line in one part is reduced at once when no piece can be cut from it; a view of nothing
// is an empty line either way.
TEST(LinePiecesTest, LinesInOnePartAreCutOnlyWhereTheyMayBe) {
    for (const bool every : {false, true}) {
        QStringList addresses;
        LinePieces pieces(every, [&](const BoundedLine& piece, BoundedLine::Outcome outcome) {
            addresses << addressOf(piece, outcome);
        });
        pieces.endLine(QByteArrayView());
        pieces.endLine("Ann <ann@example.com>, Bob");
        pieces.endLine("a@b.cc; c@d.ee");
        const QStringList expected = every ? QStringList{"-", "ann@example.com", "a@b.cc", "c@d.ee"}
                                           : QStringList{"-", "ann@example.com", "c@d.ee"};
        EXPECT_EQ(addresses, expected) << every;
    }
}

TEST(LinePiecesTest, WithoutEveryAddressEachLineIsOnePiece) {
    EXPECT_EQ(harvest("To: A@x.io, b@y.io\nnone\nx@y.z!a@b.c", false, 4),
              (QStringList{"b@y.io", "-", "x@y.z"}));
}

// Streaming the pieces (each part fed to the current piece and, after a possible cut, to the
// next one too) gives what each piece of the whole line gives on its own.
TEST(LinePiecesTest, StreamedPiecesMatchThePiecesOfTheWholeLine) {
    std::mt19937 random(99);
    const QByteArray alphabet = "ab@@..-;, !:x";
    std::uniform_int_distribution<qsizetype> pick(0, alphabet.size() - 1);
    for (qsizetype limit : {4, 16, 1000}) {
        for (int i = 0; i < 3000; ++i) {
            QByteArray line;
            const qsizetype length = std::uniform_int_distribution<qsizetype>(1, 80)(random);
            for (qsizetype k = 0; k < length; ++k) line += alphabet[pick(random)];
            QStringList expected;
            for (const QByteArray& piece : cutAtAddresses(line)) {
                expected += harvest(piece, false, piece.size() + 1, limit);
            }
            const qsizetype part = std::uniform_int_distribution<qsizetype>(1, 9)(random);
            ASSERT_EQ(harvest(line, true, part, limit), expected)
                << line.toStdString() << " in " << part;
        }
    }
}

}  // namespace
}  // namespace rosterly
