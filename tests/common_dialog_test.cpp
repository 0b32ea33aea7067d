#include "platform/common_dialog.h"

#include <gtest/gtest.h>

#include "support/qt_print.h"

using namespace Qt::StringLiterals;

namespace rosterly {
namespace {

struct FilterCase {
    QString filter;
    QStringList nameFilters;
    friend void PrintTo(const FilterCase& c, std::ostream* os) { ::PrintTo(c.filter, os); }
};

class QtNameFiltersTest : public ::testing::TestWithParam<FilterCase> {};

TEST_P(QtNameFiltersTest, TranslatesDialogFilter) {
    EXPECT_EQ(toQtNameFilters(GetParam().filter), GetParam().nameFilters);
}

INSTANTIATE_TEST_SUITE_P(
    Filters, QtNameFiltersTest,
    ::testing::Values(FilterCase{u"All Files | *."_s, {u"All Files (*)"_s}},
                      FilterCase{u"Word Files | *.doc"_s, {u"Word Files (*.doc)"_s}},
                      FilterCase{u"Text|*.txt;*.doc|All|*.*"_s,
                                 {u"Text (*.txt *.doc)"_s, u"All (*)"_s}},
                      FilterCase{u"Lists"_s, {u"Lists (*)"_s}}, FilterCase{u""_s, {}}));

}  // namespace
}  // namespace rosterly
