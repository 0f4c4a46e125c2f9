#include <gtest/gtest.h>

#include "core/KeyedEntry.h"

namespace orva::core {
namespace {

using automation::Text;

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

// A character outside the 16-bit range takes two units; a cut between them would leave half a
// character that cannot be saved. The pair goes whole, a blank takes its place, the key stays at 256.
TEST(KeyedEntry, NeverCutsASurrogatePairInTwo) {
    const Text smile = u"\U0001F600";
    struct Case {
        Text display;
        Text shown;  // the display part as composed
    };
    const Case cases[] = {
        {Text(254, u'x') + smile + u"tail", Text(254, u'x') + u" "},
        {Text(254, u'x') + smile, Text(254, u'x') + u" "},
        {Text(253, u'x') + smile + u"tail", Text(253, u'x') + smile},
        {Text(255, u'x') + smile, Text(255, u'x')},
        {Text(252, u'x') + smile + smile, Text(252, u'x') + smile + u" "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.display.size());
        Text entry = ComposeKeyedEntry(c.display, u"K" + smile);
        ASSERT_EQ(entry.size(), kKeyedDisplayWidth + 3);
        EXPECT_EQ(entry.substr(0, kKeyedDisplayWidth), c.shown);
        EXPECT_EQ(KeyedEntryKey(entry), u"K" + smile);
        EXPECT_EQ(automation::FindLoneSurrogate(entry), Text::npos);
        EXPECT_NO_THROW(automation::ToUtf8(entry));
    }
}

// Lists keep their entries without the filling blanks; every reader must still get the composed text,
// unit for unit, whatever the display holds (blanks of its own, a cut, a pair at the cut).
TEST(KeyedEntry, HeldWithoutBlanksReadsAsTheComposedText) {
    const Text smile = u"\U0001F600";
    const std::pair<Text, Text> cases[] = {
        {u"财务会计", u"12"},
        {u"  总账 ", u" 101 "},
        {u"", u""},
        {u"a", u""},
        {u"", u"0"},
        {Text(255, u'x'), u"Base|7"},
        {Text(300, u'x'), u"7"},
        {Text(254, u' '), u"k"},
        {Text(254, u'x') + smile + u"tail", u"K" + smile},
        {Text(253, u'x') + smile, u"List|9"},
    };
    for (const auto& [display, key] : cases) {
        SCOPED_TRACE(display.size());
        const Text composed = ComposeKeyedEntry(display, key);
        const automation::Variant held = KeyedEntryValue(display, key);
        const automation::Variant reheld = KeyedEntryValue(composed);
        EXPECT_EQ(held.Type(), automation::VariantType::Text);
        EXPECT_EQ(held.ToText(), composed);
        EXPECT_EQ(reheld.ToText(), composed);
        EXPECT_EQ(held, automation::Variant(composed));
        EXPECT_EQ(automation::Variant(composed), reheld);
        EXPECT_NE(held, automation::Variant(composed + u" "));
    }
    // An entry form of texts that are no keyed entries gives them back as they are.
    for (const Text& text :
         {Text(), Text(u"  "), Text(u"ab  "), Text(256, u' '), Text(u" x") + Text(300, u' ')})
        EXPECT_EQ(KeyedEntryValue(text).ToText(), text);
}

}  // namespace
}  // namespace orva::core
