#include "unit_search.h"

#include <gtest/gtest.h>

#include <string>

namespace corvell {
namespace {

// Texts of every length around the eight-unit steps, with the unit at every place: the step that
// finds it and the units after the last whole step must agree with a plain search.
TEST(UnitSearchTest, FindsTheFirstUnitFromAnyPlaceInTextsOfAnyLength) {
    for (std::size_t length = 0; length <= 40; ++length) {
        std::u16string text(length, u'a');
        for (std::size_t at = 0; at < length; ++at) {
            text[at] = u'@';
            if (at + 3 < length) text[at + 3] = u'@';
            for (std::size_t from = 0; from <= length; ++from) {
                ASSERT_EQ(findUnit(text, u'@', from), text.find(u'@', from))
                    << length << " " << at << " " << from;
            }
            text.assign(length, u'a');
        }
        EXPECT_EQ(findUnit(text, u'@'), std::u16string::npos) << length;
    }
}

// A unit matches only a unit of equal value, not one that shares its low or high byte.
TEST(UnitSearchTest, MatchesWholeUnitsOnly) {
    const std::u16string text = u"\u4000\u0140\u4040\u00c0abcdefgh\u0040";
    EXPECT_EQ(findUnit(text, u'@'), text.size() - 1);
    EXPECT_EQ(findUnit(text, u'\u4040'), 2u);
}

TEST(UnitSearchTest, OneByteFitsUpToFfAtEveryPlace) {
    for (std::size_t length = 0; length <= 40; ++length) {
        std::u16string text(length, u'\u00ff');
        EXPECT_TRUE(fitsOneByte(text)) << length;
        for (std::size_t at = 0; at < length; ++at) {
            for (const char16_t wide : {u'\u0100', u'\uff00', u'\uffff'}) {
                text[at] = wide;
                ASSERT_FALSE(fitsOneByte(text)) << length << " " << at;
            }
            text[at] = u'\0';
            ASSERT_TRUE(fitsOneByte(text)) << length << " " << at;
            text[at] = u'\u00ff';
        }
    }
}

}  // namespace
}  // namespace corvell
