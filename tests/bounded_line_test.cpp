// A line's bounded stand-in against the whole line, through the real control: same entry
// test, same cleaned text, same counters, for every line whose address fits the limit.
#include "bounded_line.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "address_scanner.h"
#include "com/ptr.h"
#include "com/variant_value.h"
#include "corvell_ids.h"
#include "sievan.h"
#include "sievan_calls.h"
#include "support/lower_cased.h"

namespace rosterly {
namespace {

using Kind = BoundedLine::Kind;

// The line as the control gets it when nothing is bounded: control characters read as spaces,
// decoded and lower-cased as a whole.
QString wholeLineText(const std::string& line) {
    QByteArray bytes(line.data(), qsizetype(line.size()));
    for (char& c : bytes) {
        if ((unsigned char)c < 32 || c == 127) c = ' ';
    }
    return lowerCased(bytes);
}

struct Result {
    Kind kind;
    QString address;
    bool operator==(const Result&) const = default;
};

void PrintTo(const Result& r, std::ostream* os) {
    *os << int(r.kind) << " \"" << r.address.toStdString() << '"';
}

// What the control's own entry test and cleaning make of a text.
Result cleaned(const QString& text) {
    const std::u16string_view view(reinterpret_cast<const char16_t*>(text.utf16()),
                                   size_t(text.size()));
    if (!text.contains(u'@')) return {Kind::NoAt, {}};
    if (!corvell::hasAddressShape(view)) return {Kind::NoShape, {}};
    const std::u16string_view address = corvell::cleanAddress(view);
    if (address.empty()) return {Kind::NoAddress, {}};
    return {Kind::Address, QString::fromUtf16(address.data(), qsizetype(address.size()))};
}

// The line through a BoundedLine in parts of the given sizes (cycled), then its stand-in
// through the control's cleaning.
struct Bounded {
    BoundedLine::Outcome outcome;
    Result result;
};

Bounded throughBoundedLine(BoundedLine& bounded, const std::string& line,
                           const std::vector<size_t>& partSizes) {
    bounded.reset();
    size_t at = 0;
    for (size_t i = 0; at < line.size(); ++i) {
        const size_t size = std::min(partSizes[i % partSizes.size()], line.size() - at);
        bounded.append(QByteArrayView(line.data() + at, qsizetype(size)));
        at += size;
    }
    const BoundedLine::Outcome outcome = bounded.outcome();
    const QString text = lowerCased(bounded.standIn(outcome));
    Result result = cleaned(text);
    if (outcome.kind == Kind::NoAt || outcome.kind == Kind::TooLong) result = {outcome.kind, {}};
    return {outcome, result};
}

// The line through reduceWhole(), which reads most lines around their "@" alone.
Bounded atOnce(BoundedLine& bounded, const std::string& line) {
    const BoundedLine::Outcome outcome =
        bounded.reduceWhole(QByteArrayView(line.data(), qsizetype(line.size())));
    Result result = cleaned(lowerCased(bounded.standIn(outcome)));
    if (outcome.kind == Kind::NoAt || outcome.kind == Kind::TooLong) result = {outcome.kind, {}};
    return {outcome, result};
}

// Checks one line, streamed in parts and at once; a TooLong outcome is right only when the
// whole line's address is longer than the limit (lines here are ASCII: bytes and characters
// agree).
void expectSameOutcome(BoundedLine& bounded, qsizetype limit, const std::string& line,
                       const std::vector<size_t>& partSizes) {
    const Result whole = cleaned(wholeLineText(line));
    const Bounded got = throughBoundedLine(bounded, line, partSizes);
    const Bounded gotAtOnce = atOnce(bounded, line);
    EXPECT_EQ(gotAtOnce.outcome.kind, got.outcome.kind) << line;
    EXPECT_EQ(gotAtOnce.outcome.size, got.outcome.size) << line;
    EXPECT_EQ(gotAtOnce.result, got.result) << line;
    if (whole.kind == Kind::Address && whole.address.size() > limit) {
        EXPECT_EQ(got.outcome.kind, Kind::TooLong) << line;
    } else {
        EXPECT_EQ(got.result, whole) << "line: " << ::testing::PrintToString(line);
        const bool ascii = std::all_of(line.begin(), line.end(), [](char c) { return c >= 0; });
        if (whole.kind == Kind::Address && ascii) {
            EXPECT_EQ(got.outcome.size, whole.address.size());
        }
    }
}

TEST(BoundedLineTest, WorkedLinesGiveTheControlsResults) {
    BoundedLine bounded(64);
    for (const char* line : {"contact: abc@b.c",
                             "mailto:abc@b.c.",
                             "(abc@b.c)!",
                             "a@b.c, d@e.f",
                             "a@b.c d@e",
                             "abc@b.c;",
                             "abc@b.c;x",
                             "abc..def@b.c",
                             "abc@b..c",
                             "a@b.c@",
                             "@b.c",
                             "@a@b.c",
                             "a@b.c-",
                             "a@b.c?s=1",
                             "abc@@b.c",
                             "a.b@c",
                             "a@b.c!d@e.f",
                             "a@b.c-d@e.f",
                             "@.",
                             "",
                             "no at here",
                             "x...y@b.c",
                             "a@b.c;@",
                             "a@b.c;x@y",
                             "a@b.c;x@y.z",
                             "q@r.s!t;u@v",
                             "Ann\tann@example.com\tParis",
                             "\x01mail\x7f@x.org\x02"}) {
        for (size_t part : {size_t(1), size_t(2), size_t(1000)}) {
            expectSameOutcome(bounded, 64, line, {part});
        }
    }
}

TEST(BoundedLineTest, StandInDecodesLikeTheWholeLine) {
    // UTF-8 and Windows-1252 bytes around and inside the address: each character decodes on
    // its own, so the stand-in's text is the whole line's text at the same place.
    BoundedLine bounded(64);
    for (const char* line :
         {"\xc3\x89T\xc3\x89 <J\xc3\xa9r\xc3\xb4me@Caf\xc3\xa9.FR> \xff",
          "Caf\xe9 \xc4\xb0nfo@\xe9t\xe9.fr \x80", "\xce\xa3\xce\xa3@\xce\xa3.gr",
          "a\xe2\x80\xa8@b.c, \xf0\x9f\x98\x80x@y.z"}) {
        expectSameOutcome(bounded, 64, line, {3});
    }
}

// Lines built from runs of delimiter-rich characters, some of them long: runs of what the back
// of an address sheds ('-', '.', ';', '@'), many '@', "..", control characters, and text.
std::string randomLine(std::mt19937& random, size_t maxLength) {
    auto chance = [&](double p) { return std::bernoulli_distribution(p)(random); };
    auto pick = [&](std::string_view from) {
        return from[std::uniform_int_distribution<size_t>(0, from.size() - 1)(random)];
    };
    // Mostly short runs; now and then one long enough to cross the limit on its own.
    auto runLength = [&] {
        if (chance(0.05)) return std::uniform_int_distribution<size_t>(1, maxLength / 2)(random);
        return 1 + std::geometric_distribution<size_t>(0.5)(random);
    };
    auto word = [&] { return std::string(runLength(), pick("abxy")); };
    std::string line;
    while (line.size() < maxLength && !chance(0.08)) {
        const int kind = std::uniform_int_distribution<int>(0, 9)(random);
        if (kind < 3) {
            line += word() + '@' + word() + '.' + word();
        } else if (kind < 5) {
            line += pick(",: <>()=\"/$%|&^~+`\\;\t\x01\x7f");
        } else if (kind < 7) {
            line += std::string(runLength(), pick("-.;@"));
        } else if (kind == 7) {
            line += word();
        } else if (kind == 8) {
            line += "..";
        } else {
            line += pick("!?_'#");
        }
    }
    return line.substr(0, maxLength);
}

TEST(BoundedLineTest, RandomLongLinesMatchTheWholeLineWhateverTheParts) {
    std::mt19937 random(20261207);
    for (qsizetype limit : {1, 5, 16, 64}) {
        BoundedLine bounded(limit);
        for (int i = 0; i < 6000; ++i) {
            const std::string line = randomLine(random, size_t(limit) * 6 + 8);
            const size_t part = std::uniform_int_distribution<size_t>(1, 40)(random);
            expectSameOutcome(bounded, limit, line, {part, 1, part * 3});
            if (HasFailure()) return;
        }
    }
}

TEST(BoundedLineTest, LinesFarBeyondTheDefaultLimit) {
    BoundedLine bounded;
    const size_t big = size_t(BoundedLine::kDefaultLimit) * 3;
    const std::string x(big, 'x');
    const std::vector<std::string> lines = {
        x + "@b.c",                             // address longer than the limit
        "to: a@b.c " + x,                       // '@' near the start
        x + " a@b.c",                           // '@' near the end
        "a@b.c" + std::string(big, '-'),        // a huge tail shed from the back
        "a@b.c" + std::string(big, ';'),        //
        "a@b.c" + std::string(big, '-') + "x",  // ... unless more text follows
        std::string(big, '@'),                  // nothing but '@'
        std::string(big, '@') + ".",            //
        "a@" + std::string(big, '.'),           //
        x + "@" + x + ".c",                     //
    };
    for (const std::string& line : lines) {
        expectSameOutcome(bounded, BoundedLine::kDefaultLimit, line, {1 << 20});
    }
}

// Two real controls side by side, one given whole lines, one given stand-ins: the same texts
// come back and the counters agree at the end.
class SideBySide : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(corvell::Sievan::Create(IID_IDispatch, whole.out()), S_OK);
        ASSERT_EQ(corvell::Sievan::Create(IID_IDispatch, standIn.out()), S_OK);
        for (IDispatch* control : {whole.get(), standIn.get()}) {
            com::Ptr<IPersistPropertyBag> persist;
            ASSERT_EQ(control->QueryInterface(IID_IPersistPropertyBag,
                                              reinterpret_cast<void**>(persist.out())),
                      S_OK);
            ASSERT_EQ(persist->InitNew(), S_OK);
        }
    }
    static QString handOver(SievanCalls& calls, const QString& text) {
        QStringView address;
        EXPECT_EQ(calls.putAddress(text), S_OK);
        EXPECT_EQ(calls.extract(), S_OK);
        EXPECT_EQ(calls.getAddress(address), S_OK);
        return address.toString();
    }
    static QString counter(IDispatch* control, DISPID member) {
        DISPPARAMS none{};
        com::Variant value;
        control->Invoke(member, GUID_NULL, 0, DISPATCH_PROPERTYGET, &none, &value, nullptr,
                        nullptr);
        return QString::fromStdU16String(std::u16string(value.text()));
    }

    com::Ptr<IDispatch> whole;
    com::Ptr<IDispatch> standIn;
};

TEST_F(SideBySide, CountersAndAddressesAgreeOverManyLines) {
    std::mt19937 random(7);
    const qsizetype limit = 24;
    BoundedLine bounded(limit);
    SievanCalls wholeCalls(whole.get());
    SievanCalls standInCalls(standIn.get());
    int handed = 0;
    for (int i = 0; i < 4000; ++i) {
        const std::string line = randomLine(random, 200);
        bounded.reset();
        bounded.append(QByteArrayView(line.data(), qsizetype(line.size())));
        const BoundedLine::Outcome outcome = bounded.outcome();
        if (outcome.kind == Kind::NoAt || outcome.kind == Kind::TooLong) continue;
        const QString text = lowerCased(bounded.standIn(outcome));
        ASSERT_EQ(handOver(standInCalls, text), handOver(wholeCalls, wholeLineText(line))) << line;
        ++handed;
    }
    EXPECT_GT(handed, 1000);
    for (DISPID member : {DISPID_SIEVAN_COUNT, DISPID_SIEVAN_DUPLICATES}) {
        EXPECT_EQ(counter(standIn.get(), member), counter(whole.get(), member));
    }
}

}  // namespace
}  // namespace rosterly
