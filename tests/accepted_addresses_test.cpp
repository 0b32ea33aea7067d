#include "accepted_addresses.h"

#include <gtest/gtest.h>

#include <QSet>
#include <QString>
#include <QStringList>

#include <random>

#include "platform/text_codec.h"

namespace rosterly {
namespace {

TEST(AcceptedAddressesTest, DuplicateMeansExactlyTheSameText) {
    const struct {
        const char16_t* earlier;
        const char16_t* address;
        bool duplicate;
    } cases[] = {
        {u"a@b.cc", u"a@b.cc", true},
        {u"xb@b.cc", u"b@b.cc", false},        // tail of an earlier address
        {u"b@b.cc", u"xb@b.cc", false},        // earlier address is the tail
        {u"a@b.cc", u"a@b.c", false},          // prefix
        {u"A@b.cc", u"a@b.cc", false},         // case counts
        {u"a@b.cc a@d.cc", u"a@b.cc", false},  // no containment
        {u"x*y@b.cc", u"*@b.cc", false},       // wildcard characters are literal
        {u"ab@b.cc", u"a?@b.cc", false},
        {u"a1@b.cc", u"a#@b.cc", false},
        {u"ab@b.cc", u"a[b]@b.cc", false},
        {u"a[b@b.cc", u"a[b@b.cc", true},  // an open bracket is just a character
        {u"\u00e9@b.cc", u"\u00e9@b.cc", true},
        {u"\u0101@b.cc", u"\u0101@b.cc", true},
        {u"\u00e9@b.cc", u"\u0101@b.cc", false},
        {u"\U0001F600@b.cc", u"\U0001F600@b.cc", true},
        {u"\xd83d@b.cc", u"\xde00@b.cc", false},  // lone surrogates stay apart
        {u"\xd83d@b.cc", u"?@b.cc", false},
        {u"\xd83d@b.cc", u"\xd83d@b.cc", true},
    };
    for (const auto& c : cases) {
        AcceptedAddresses accepted;
        ASSERT_TRUE(accepted.insert(QString::fromUtf16(c.earlier)).has_value());
        const QString address = QString::fromUtf16(c.address);
        EXPECT_EQ(accepted.contains(address), c.duplicate) << address.toStdString();
        EXPECT_EQ(accepted.insert(address).has_value(), !c.duplicate) << address.toStdString();
        EXPECT_TRUE(accepted.contains(address));
        EXPECT_EQ(accepted.size(), c.duplicate ? 1 : 2);
    }
}

TEST(AcceptedAddressesTest, LinesAreTheListFilesBytesInOrderOfAcceptance) {
    AcceptedAddresses accepted;
    const QStringList addresses{
        "a@b.cc",          "\u00e9t\u00e9@x.fr", "\u0440\u0444@\u0440\u0444.ru",
        "\U0001F600@x.cc", "t\tab@x.cc",         "lf\n@x.cc"};
    for (const QString& address : addresses) ASSERT_TRUE(accepted.insert(address).has_value());
    QByteArray expected;
    for (qsizetype i = 0; i < addresses.size(); ++i) {
        const auto entry = AcceptedAddresses::Entry(i);
        EXPECT_EQ(accepted.line(entry), encodeText(addresses[i]) + "\r\n");
        EXPECT_EQ(accepted.fileLine(entry), encodeText(addresses[i]) + "\r\n");
        EXPECT_EQ(accepted.address(entry), addresses[i]);
        expected += encodeText(addresses[i]) + "\r\n";
    }
    EXPECT_TRUE(accepted.linesAreFileBytes());
    EXPECT_EQ(accepted.lines(0, AcceptedAddresses::Entry(addresses.size())), expected);
    EXPECT_EQ(accepted.lines(1, 3),
              accepted.line(1).toByteArray() + accepted.line(2).toByteArray());
    EXPECT_TRUE(accepted.lines(2, 2).isEmpty());
}

// Runs of plain ASCII of every length, broken by units at the edges of each encoded width.
TEST(AcceptedAddressesTest, StoresAnyMixOfUnitsAsTheFileWould) {
    const char16_t edges[] = {0x7F, 0x80, 0xFF, 0x100, 0x7FF, 0x800, 0xFFFF, 0xD83D, 0xDE00};
    std::mt19937 random(11);
    AcceptedAddresses accepted;
    QStringList texts;
    for (int n = 0; n < 3000; ++n) {
        QString text = QString::number(n) + QLatin1Char('@');
        const int length = int(random() % 40);
        for (int i = 0; i < length; ++i) {
            text += random() % 6 == 0 ? QChar(edges[random() % std::size(edges)])
                                      : QChar(char16_t(0x20 + random() % 0x5F));
        }
        ASSERT_TRUE(accepted.insert(text).has_value());
        texts.push_back(text);
    }
    for (qsizetype i = 0; i < texts.size(); ++i) {
        const auto entry = AcceptedAddresses::Entry(i);
        EXPECT_EQ(accepted.address(entry), texts[i]);
        EXPECT_EQ(accepted.fileLine(entry), encodeText(texts[i]) + "\r\n");
        EXPECT_TRUE(accepted.contains(texts[i]));
    }
}

TEST(AcceptedAddressesTest, LoneSurrogateIsKeptExactlyAndWrittenAsTheFileWould) {
    AcceptedAddresses accepted;
    const QString lone = QStringLiteral("a") + QChar(char16_t(0xD83D)) + QStringLiteral("@x.cc");
    const QString pair = QStringLiteral("b\U0001F600@x.cc");
    ASSERT_TRUE(accepted.insert(pair).has_value());
    EXPECT_TRUE(accepted.linesAreFileBytes());
    ASSERT_TRUE(accepted.insert(lone).has_value());
    EXPECT_FALSE(accepted.linesAreFileBytes());
    EXPECT_EQ(accepted.address(1), lone);
    EXPECT_EQ(accepted.fileLine(1), encodeText(lone) + "\r\n");
    EXPECT_EQ(accepted.fileLine(0), encodeText(pair) + "\r\n");
}

TEST(AcceptedAddressesTest, ReleasedIndexIsBuiltAnewWhenAskedAgain) {
    AcceptedAddresses accepted;
    accepted.insert(u"a@b.cc");
    accepted.insert(u"c@d.cc");
    accepted.releaseIndex();
    EXPECT_EQ(accepted.line(1), "c@d.cc\r\n");
    EXPECT_TRUE(accepted.contains(u"a@b.cc"));
    EXPECT_FALSE(accepted.insert(u"c@d.cc").has_value());
    EXPECT_EQ(accepted.insert(u"e@f.cc"), AcceptedAddresses::Entry(2));
}

// Room made for a guessed number of entries, while entries are held, must keep every answer:
// the held entries are placed anew, later ones go in beside them, and a released index stays
// released until it is asked again.
TEST(AcceptedAddressesTest, ExpectedEntriesChangeNoAnswer) {
    AcceptedAddresses accepted;
    const auto address = [](int i) { return QStringLiteral("user%1@d%2.cc").arg(i).arg(i % 7); };
    for (int i = 0; i < 1000; ++i) ASSERT_TRUE(accepted.insert(address(i)).has_value());
    accepted.expect(50000);
    accepted.expect(10);  // less than held: nothing to do
    for (int i = 1000; i < 3000; ++i) ASSERT_TRUE(accepted.insert(address(i)).has_value());
    for (int i = 0; i < 3000; ++i) {
        ASSERT_TRUE(accepted.contains(address(i))) << i;
        ASSERT_EQ(accepted.line(AcceptedAddresses::Entry(i)), encodeText(address(i)) + "\r\n");
    }
    EXPECT_FALSE(accepted.contains(address(3000)));
    EXPECT_FALSE(accepted.insert(address(1500)).has_value());
    accepted.releaseIndex();
    accepted.expect(100000);
    EXPECT_TRUE(accepted.contains(address(2999)));
    EXPECT_EQ(accepted.insert(address(3000)), AcceptedAddresses::Entry(3000));
}

// The rest of an input is guessed to add entries at the rate its first part did, a tenth more.
TEST(AcceptedAddressesTest, GuessesTheEntriesOfAnInputFromTheRateSoFar) {
    EXPECT_EQ(guessEntries(100, 200, 25, 200), 100 + 880);  // 100 in an eighth: 800 in all
    EXPECT_EQ(guessEntries(0, 1000, 1 << 20, 1 << 30), 1126400);
    EXPECT_EQ(guessEntries(100, 100, 25, 200), 100);             // nothing added yet
    EXPECT_EQ(guessEntries(0, 50, 0, 200), 50);                  // nothing read yet
    EXPECT_EQ(guessEntries(0, 50, 200, 200), 50);                // all read
    EXPECT_EQ(guessEntries(0, 3000000000, 1, 100), 4294967295);  // no more than a record holds
}

TEST(AcceptedAddressesTest, ClearForgetsEverything) {
    AcceptedAddresses accepted;
    EXPECT_FALSE(accepted.contains(u"a@b.cc"));
    accepted.insert(u"a@b.cc");
    accepted.clear();
    EXPECT_FALSE(accepted.contains(u"a@b.cc"));
    EXPECT_EQ(accepted.size(), 0);
    EXPECT_EQ(accepted.insert(u"a@b.cc"), AcceptedAddresses::Entry(0));
    EXPECT_EQ(accepted.size(), 1);
}

// Shapes that trouble indexes built on the texts: one shared domain, addresses that are
// substrings of each other, long repeated addresses, characters of every width. The record
// must answer as a plain set of the same texts does.
QString randomAddress(std::mt19937& random) {
    static const QStringList pieces{"a",      "ab",     "abc",        "user", "\u00e9",
                                    "\u0440", "\u4e2d", "\U0001F600", "x.y",  "_"};
    std::uniform_int_distribution<int> shape(0, 4), piece(0, int(pieces.size()) - 1), count(0, 6);
    QString local;
    for (int n = count(random); n >= 0; --n) local += pieces[piece(random)];
    switch (shape(random)) {
        case 0:
            return local + QStringLiteral("@one.example.com");
        case 1:
            return local.repeated(40) + QStringLiteral("@long.example.com");
        case 2:
            return local;  // a substring of most others
        case 3:
            return QChar(char16_t(0xD800 + piece(random))) + local + QStringLiteral("@s.cc");
        default:
            return local + QLatin1Char('@') + pieces[piece(random)] + QStringLiteral(".cc");
    }
}

TEST(AcceptedAddressesTest, AnswersAsAPlainSetOnAdversarialShapes) {
    std::mt19937 random(11);
    AcceptedAddresses accepted;
    QSet<QString> plain;
    QStringList order;
    for (int i = 0; i < 20000; ++i) {
        const QString address = randomAddress(random);
        bool added = false;
        if (i % 2 == 0) {
            ASSERT_EQ(accepted.contains(address), plain.contains(address)) << i;
            added = accepted.insert(address).has_value();
        } else {
            // The prepared lookup keeps its own copy of the address.
            accepted.prepare(QString(address));
            if (i == 15001) accepted.releaseIndex();
            ASSERT_EQ(accepted.containsPrepared(), plain.contains(address)) << i;
            added = accepted.insertPrepared().has_value();
        }
        ASSERT_EQ(added, !plain.contains(address)) << i;
        if (added) {
            plain.insert(address);
            order << address;
        }
        if (i == 10000) accepted.releaseIndex();
    }
    ASSERT_EQ(accepted.size(), order.size());
    for (qsizetype i = 0; i < order.size(); ++i) {
        ASSERT_EQ(accepted.address(AcceptedAddresses::Entry(i)), order[i]);
    }
}

TEST(AcceptedAddressesTest, HoldsAMillionAddresses) {
    AcceptedAddresses accepted;
    const int count = 1'000'000;
    const auto addressOf = [](int i) {
        return QStringLiteral("user%1@host%2.%3")
            .arg(i)
            .arg(i % 997)
            .arg(i % 10 == 0 ? QStringLiteral("\u0440\u0444") : QStringLiteral("cc"));
    };
    for (int i = 0; i < count; ++i) ASSERT_TRUE(accepted.insert(addressOf(i)).has_value()) << i;
    EXPECT_EQ(accepted.size(), count);
    for (int i = 0; i < count; i += 7) {
        EXPECT_FALSE(accepted.insert(addressOf(i)).has_value()) << i;
        EXPECT_FALSE(accepted.contains(addressOf(i).mid(1))) << i;
        EXPECT_EQ(accepted.address(AcceptedAddresses::Entry(i)), addressOf(i));
    }
    EXPECT_EQ(accepted.size(), count);
}

}  // namespace
}  // namespace rosterly
