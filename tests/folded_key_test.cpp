#include "folded_key.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>

#include <random>
#include <string>
#include <utility>

#include "accepted_addresses.h"

namespace rosterly {
namespace {

// The prefix as the whole key gives it: its first `size` bytes, zero-padded.
std::string prefixOfWholeKey(QByteArrayView text, std::size_t size) {
    std::string key;
    appendFoldedKey(text, key);
    key.resize(size, '\0');
    return key;
}

std::string prefixOf(QByteArrayView text, std::size_t size) {
    std::string prefix(size, '\x7f');  // no byte is left as it was
    std::string scratch;
    foldedKeyPrefix(text, reinterpret_cast<unsigned char*>(prefix.data()), size, scratch);
    return prefix;
}

// ASCII text is folded eight bytes at a time: every byte, at every place of a word and of the
// tail, and every length around the prefix's size, must fold as the whole key folds it.
TEST(FoldedKeyTest, PrefixOfAsciiTextFoldsEveryByteAsTheWholeKeyDoes) {
    for (int byte = 0; byte < 0x80; ++byte) {
        for (int at = 0; at < 16; ++at) {
            QByteArray text(16, 'Q');
            text[at] = char(byte);
            for (const std::size_t size : {12u, 16u}) {
                ASSERT_EQ(prefixOf(text, size), prefixOfWholeKey(text, size))
                    << "byte " << byte << " at " << at << ", prefix of " << size;
            }
        }
    }
    const QByteArray mixed = "AbC@zZ.Ya\r\n[`@]{";
    for (qsizetype length = 0; length <= mixed.size(); ++length) {
        EXPECT_EQ(prefixOf(mixed.left(length), 12), prefixOfWholeKey(mixed.left(length), 12))
            << "length " << length;
    }
    EXPECT_EQ(prefixOf("ABCDEFGHIJKL@X", 12), "abcdefghijkl");
}

TEST(FoldedKeyTest, PrefixOfOtherTextIsTheWholeKeysFirstBytes) {
    for (const QString& address :
         {QStringLiteral("\u00c9mile@x.cc"), QStringLiteral("ABCDEFGHIJK\u00c9@x"),
          QStringLiteral("\u03a3"), QStringLiteral("a\U0001F600@x.cc")}) {
        QByteArray line;
        encodeLine(address, line);
        EXPECT_EQ(prefixOf(line, 12), prefixOfWholeKey(line, 12)) << address.toStdString();
    }
    // A unit beyond ASCII anywhere in the text, also the last byte of a word, makes it other.
    for (int at = 0; at < 20; ++at) {
        QString address(20, QLatin1Char('Q'));
        address[at] = QChar(0x00e9);
        QByteArray line;
        encodeLine(address, line);
        EXPECT_EQ(prefixOf(line, 12), prefixOfWholeKey(line, 12)) << "at " << at;
    }
}

int sign(int value) {
    return (value > 0) - (value < 0);
}

// ASCII texts are compared where they stand, eight bytes at a time: random pairs alike for a
// while, then differing in a letter's case, around the letters' edges or in their length, must
// compare as their whole keys do, and so must texts beyond ASCII.
TEST(FoldedKeyTest, ComparingTextsAgreesWithComparingTheirWholeKeys) {
    std::mt19937 random(7);
    const std::string units = "aAzZ@[`{09.-_\t\r\n";
    std::uniform_int_distribution<size_t> unit(0, units.size() - 1), length(0, 30);
    std::string scratchA, scratchB;
    for (int i = 0; i < 20000; ++i) {
        std::string a;
        for (size_t n = length(random); n > 0; --n) a += units[unit(random)];
        std::string b = a.substr(0, std::min(a.size(), length(random)));
        for (size_t n = length(random) % 4; n > 0; --n) b += units[unit(random)];
        if (i % 3 == 0 && !b.empty()) b[b.size() / 2] = char(b[b.size() / 2] ^ 0x20);
        ASSERT_EQ(sign(compareFoldedKeys(QByteArrayView(a), QByteArrayView(b), scratchA, scratchB)),
                  sign(prefixOfWholeKey(a, 64).compare(prefixOfWholeKey(b, 64))))
            << a << " / " << b;
    }
    for (const auto& [first, second] :
         {std::pair{QStringLiteral("\u00c9mile@x.cc"), QStringLiteral("emile@x.cc")},
          std::pair{QStringLiteral("newsletter-\u00e9@x"), QStringLiteral("NEWSLETTER-\u00c9@x")},
          std::pair{QStringLiteral("newsletter-a@x.cc"), QStringLiteral("newsletter-\u00e0@x")}}) {
        QByteArray lineA, lineB;
        encodeLine(first, lineA);
        encodeLine(second, lineB);
        EXPECT_EQ(sign(compareFoldedKeys(lineA, lineB, scratchA, scratchB)),
                  sign(prefixOfWholeKey(lineA, 64).compare(prefixOfWholeKey(lineB, 64))))
            << first.toStdString();
    }
}

}  // namespace
}  // namespace rosterly
