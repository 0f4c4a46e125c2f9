#include "core/KeyedEntry.h"

#include <gtest/gtest.h>

namespace orva::core {
namespace {

TEST(KeyedEntry, DisplayIsCutOrFilledTo255Units) {
    Text entry = ComposeKeyedEntry(u"财务会计", u"12");
    ASSERT_EQ(entry.size(), 257u);  // a Chinese character counts as one unit
    EXPECT_EQ(entry.substr(0, 4), u"财务会计");
    EXPECT_EQ(entry.substr(255), u"12");

    Text longEntry = ComposeKeyedEntry(Text(300, u'x'), u"7");
    EXPECT_EQ(longEntry.size(), 256u);
    EXPECT_EQ(KeyedEntryKey(longEntry), u"7");
    EXPECT_EQ(KeyedEntryDisplay(longEntry), Text(255, u'x'));
}

TEST(KeyedEntry, PartsComeBackWithDisplayTrimmedAndKeyUntouched) {
    Text entry = ComposeKeyedEntry(u"  总账 ", u" 101 ");
    EXPECT_EQ(KeyedEntryDisplay(entry), u"总账");
    EXPECT_EQ(KeyedEntryKey(entry), u" 101 ");
    bool wantKey = true;
    EXPECT_EQ(KeyedEntryPart(entry, wantKey), u" 101 ");
}

TEST(KeyedEntry, ShortTextsHaveNoKey) {
    EXPECT_EQ(ComposeKeyedEntry(u"a", u"").size(), 255u);
    EXPECT_EQ(KeyedEntryKey(ComposeKeyedEntry(u"a", u"")), u"");
    EXPECT_EQ(KeyedEntryKey(u" ten chars"), u"");
    EXPECT_EQ(KeyedEntryDisplay(u" ten chars"), u"ten chars");
    EXPECT_EQ(KeyedEntryDisplay(u""), u"");
}

TEST(KeyedEntry, ComposingThePartsAgainGivesTheSameEntry) {
    Text entry = ComposeKeyedEntry(u"科目-维护 ", u"Base|1001");
    EXPECT_EQ(ComposeKeyedEntry(KeyedEntryDisplay(entry), KeyedEntryKey(entry)), entry);
}

}  // namespace
}  // namespace orva::core
