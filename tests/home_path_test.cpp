// "~/" in a typed path.
#include <gtest/gtest.h>

#include "platform/home_path.h"
#include "support/qt_print.h"

namespace rosterly {
namespace {

using namespace Qt::StringLiterals;

TEST(HomePathTest, LeadingTildeSlashIsTheHomeDirectory) {
    EXPECT_EQ(expandHome(u"~/lists/out.doc"_s, u"/home/ann"_s), u"/home/ann/lists/out.doc"_s);
    EXPECT_EQ(expandHome(u"~/"_s, u"/home/ann/"_s), u"/home/ann/"_s);
    EXPECT_EQ(expandHome(u"~/x"_s, u"/"_s), u"/x"_s);
    EXPECT_EQ(expandHome(u"~"_s, u"/home/ann"_s), u"/home/ann"_s);
}

TEST(HomePathTest, EveryOtherPathStaysAsTyped) {
    for (const QString& path :
         {u"/tmp/~/x"_s, u"~ann/x"_s, u"~~"_s, u"lists/~/x"_s, u" ~/x"_s, u"C:\\"_s, u""_s})
        EXPECT_EQ(expandHome(path, u"/home/ann"_s), path);
}

}  // namespace
}  // namespace rosterly
