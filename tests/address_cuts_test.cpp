// Cutting a line at every address, against a plain model of the rule.
#include "address_cuts.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/qt_print.h"

namespace rosterly {
namespace {

using Pieces = std::vector<QByteArray>;

// The rule read literally: for every two consecutive '@', find the last single-character left
// delimiter between them (control characters are spaces) and cut after it.
Pieces modelPieces(const QByteArray& line) {
    const std::string delimiters = ", :\"<>`/;\\+=|()&^%~$";
    auto isDelimiter = [&](char c) {
        return (unsigned char)c < 32 || c == 127 || delimiters.find(c) != std::string::npos;
    };
    std::vector<qsizetype> ats;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == '@') ats.push_back(i);
    }
    Pieces pieces;
    qsizetype from = 0;
    for (size_t k = 0; k + 1 < ats.size(); ++k) {
        qsizetype last = -1;
        for (qsizetype i = ats[k] + 1; i < ats[k + 1]; ++i) {
            if (isDelimiter(line[i])) last = i;
        }
        if (last >= 0) {
            pieces.push_back(line.mid(from, last + 1 - from));
            from = last + 1;
        }
    }
    pieces.push_back(line.mid(from));
    return pieces;
}

TEST(AddressCutsTest, CutsAfterTheLastDelimiterBetweenTwoAts) {
    struct Case {
        QByteArray line;
        Pieces pieces;
    };
    for (const Case& c : {
             Case{"To: A@x.io, b@y.io;c@z.io", {"To: A@x.io, ", "b@y.io;", "c@z.io"}},
             Case{"abc@@b.c d@e.f", {"abc@@b.c ", "d@e.f"}},
             Case{"x@y.z!a@b.c", {"x@y.z!a@b.c"}},
             Case{"a@b.c d@e", {"a@b.c ", "d@e"}},
             Case{"no address, none", {"no address, none"}},
             Case{"", {""}},
             Case{"lead, in a@b.c", {"lead, in a@b.c"}},
             Case{"a@b..c@d", {"a@b..c@d"}},
             Case{"a@b\tc@d", {"a@b\t", "c@d"}},
             Case{"a@, , x y@b, tail", {"a@, , x ", "y@b, tail"}},
             Case{"@,@,@", {"@,", "@,", "@"}},
         }) {
        EXPECT_EQ(cutAtAddresses(c.line), c.pieces) << c.line.toStdString();
        EXPECT_EQ(modelPieces(c.line), c.pieces) << c.line.toStdString();
    }
}

// Streaming in parts is checked through its consumer, in line_pieces_test.
TEST(AddressCutsTest, RandomLinesFollowTheRule) {
    std::mt19937 random(12);
    const QByteArray alphabet = "ab@@.,; :!-\t\x01<x";
    std::uniform_int_distribution<qsizetype> pick(0, alphabet.size() - 1);
    for (int i = 0; i < 20000; ++i) {
        QByteArray line;
        const qsizetype length = std::uniform_int_distribution<qsizetype>(0, 60)(random);
        for (qsizetype k = 0; k < length; ++k) line += alphabet[pick(random)];
        ASSERT_EQ(cutAtAddresses(line), modelPieces(line)) << line.toStdString();
    }
}

TEST(AddressCutsTest, ResetStartsANewLine) {
    AddressCuts cuts;
    struct Count final : AddressCuts::Sink {
        void bytes(QByteArrayView) override {}
        void mayCut() override {}
        void cut() override { ++cuts; }
        int cuts = 0;
    } count;
    cuts.append("a@b,", count);
    cuts.reset();
    cuts.append("c@d", count);  // no '@' before it on this line: no cut
    EXPECT_EQ(count.cuts, 0);
}

}  // namespace
}  // namespace rosterly
