#include <gtest/gtest.h>

#include <string>

#include "automation/AutomationError.h"
#include "automation/ClassRegistry.h"
#include "automation/TextHelpers.h"
#include "bag/Dictionary.h"
#include "bag/Vector.h"
#include "support/ErrorNumber.h"
#include "support/TempDir.h"

namespace orva::components {
namespace {

using namespace automation;
using orva::testing::ErrorNumberOf;

TEST(Dictionary, KeysMatchWithoutCaseKeepFirstSpellingAndOrder) {
    auto dictionary = Dictionary::Create();
    dictionary->SetValue(u"No", u"line 1");
    dictionary->SetValue(u"TopClass", u"财务");
    dictionary->SetValue(u"NO", u"line 2");
    ASSERT_EQ(dictionary->Count(), 2);
    EXPECT_EQ(dictionary->Key(1), u"No");
    EXPECT_EQ(dictionary->Key(2), u"TopClass");
    EXPECT_EQ(dictionary->Value(u"no"), Variant(u"line 2"));
    EXPECT_TRUE(dictionary->HasKey(u"TOPCLASS"));
    EXPECT_TRUE(dictionary->Value(u"missing").IsEmpty());
    EXPECT_FALSE(dictionary->HasKey(u"missing"));
}

TEST(Dictionary, RemovingAKeyKeepsTheOrderOfTheOthers) {
    auto dictionary = Dictionary::Create();
    for (const char16_t* key : {u"a", u"b", u"c", u"d"}) dictionary->SetValue(key, key);
    EXPECT_TRUE(dictionary->Remove(u"B"));
    EXPECT_FALSE(dictionary->Remove(u"b"));
    ASSERT_EQ(dictionary->Count(), 3);
    EXPECT_EQ(dictionary->Key(2), u"c");
    EXPECT_EQ(dictionary->Value(u"d"), Variant(u"d"));
    dictionary->SetValue(u"b", u"again");
    EXPECT_EQ(dictionary->Key(4), u"b");
}

TEST(Dictionary, LargeDictionariesFindKeysAcrossTheIndexLimit) {
    // Small dictionaries search linearly, large ones through an index: both must agree, also while
    // keys are removed below the limit and added above it again.
    auto dictionary = Dictionary::Create();
    for (int i = 0; i < 40; ++i) dictionary->SetValue(u"Key" + Int32ToText(i), int32_t(i));
    EXPECT_EQ(dictionary->Value(u"KEY39").ToInt32(), 39);
    dictionary->SetValue(u"key7", int32_t(700));
    EXPECT_EQ(dictionary->Count(), 40);
    for (int i = 0; i < 30; ++i) EXPECT_TRUE(dictionary->Remove(u"KEY" + Int32ToText(i)));
    EXPECT_EQ(dictionary->Count(), 10);
    EXPECT_EQ(dictionary->Key(1), u"Key30");
    EXPECT_FALSE(dictionary->HasKey(u"key7"));
    for (int i = 0; i < 30; ++i) dictionary->SetValue(u"new" + Int32ToText(i), int32_t(i));
    EXPECT_EQ(dictionary->Value(u"NEW29").ToInt32(), 29);
    EXPECT_EQ(dictionary->Value(u"key35").ToInt32(), 35);
    EXPECT_EQ(dictionary->Key(40), u"new29");

    // Filled without look-ups, as an export fills its entries: the first look-up indexes every key,
    // and keys appended after it are found too.
    auto filled = Dictionary::Create();
    for (int i = 0; i < 24; ++i) filled->AppendUnique(SharedText(u"Field" + Int32ToText(i)), int32_t(i));
    EXPECT_EQ(filled->ValueAt(24).ToInt32(), 23);
    EXPECT_EQ(filled->Value(u"FIELD17").ToInt32(), 17);
    filled->AppendUnique(SharedText(Text(u"Late")), int32_t(99));
    EXPECT_EQ(filled->Value(u"late").ToInt32(), 99);
    EXPECT_FALSE(filled->AddNew(SharedText(Text(u"field3")), int32_t(0)));
    filled->SetValue(u"FIELD0", int32_t(-1));
    EXPECT_EQ(filled->Count(), 25);
    EXPECT_EQ(filled->ValueAt(1).ToInt32(), -1);
}

TEST(Dictionary, StoredObjectsAreSharedNotCopied) {
    auto outer = Dictionary::Create();
    auto list = Vector::Create();
    outer->SetValue(u"List", list);
    list->Add(u"added later");
    EXPECT_EQ(AsVector(outer->Value(u"list"))->Count(), 1);
}

TEST(Dictionary, ByNameCallsReachEveryMember) {
    ObjectRef dictionary = CreateObject(Dictionary::kProgId);
    std::vector<Variant> let{Variant(u"Key"), Variant(u"value")};
    dictionary->Invoke(u"Value", CallKind::PropertyLet, let);
    EXPECT_EQ(GetProperty(dictionary, u"", {u"KEY"}), Variant(u"value"));  // calling the dictionary itself
    EXPECT_EQ(GetProperty(dictionary, u"Count").ToInt32(), 1);
    EXPECT_EQ(GetProperty(dictionary, u"Key", {1}), Variant(u"Key"));
    EXPECT_TRUE(CallMethod(dictionary, u"HasKey", {u"key", Variant()}).ToBool());
    try {
        GetProperty(dictionary, u"Key", {2});
        FAIL() << "Key(2) of a one-key dictionary must raise";
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.Number(), errors::kSubscriptOutOfRange);
    }
}

// Keys that differ only in letter case match; what upper-casing (the simple mapping, one code point
// for one) does not join stays apart. Checked in a small dictionary (linear search), in one past the
// index limit, and in both kinds loaded from a packet file, whose keys the reader shares between maps.
TEST(Dictionary, KeysMatchByUnicodeSimpleUpperCasingEverywhere) {
    struct Case {
        const char16_t* stored;
        const char16_t* asked;
        bool match;
    };
    const Case cases[] = {
        {u"z", u"Z", true},
        {u"FFuncName", u"ffuncnamE", true},
        {u"Ä", u"ä", true},
        {u"straße", u"STRAßE", true},
        {u"Σίσυφος", u"ΣΊΣΥΦΟΣ", true},
        {u"ς", u"σ", true},
        {u"Жар", u"жАР", true},
        {u"\U00010428", u"\U00010400", true},
        // '@' and '`', '[' and '{' differ by the same bit as letters do, but are no letters.
        {u"@", u"`", false},
        {u"[", u"{", false},
        {u"ß", u"SS", false},
        {u"ß", u"ẞ", false},
        {u"i", u"İ", false},
        {u"财", u"財", false},
        {u"a1", u"a１", false},
        {u"Ä", u"A\u0308", false},
    };
    auto fresh = [](size_t fillers) {
        auto dictionary = Dictionary::Create();
        for (size_t i = 0; i < fillers; ++i) dictionary->SetValue(u"filler" + Int32ToText(int32_t(i)), 0);
        return dictionary;
    };
    testing::TempDir folder;
    const Text path = FromUtf8((folder / "keys.Dat").string());
    for (size_t fillers : {size_t{0}, size_t{3}, Dictionary::kLinearLimit, size_t{40}}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(ToUtf8(Text(c.stored) + u" / " + c.asked) + ", fillers " + std::to_string(fillers));
            DictionaryRef dictionary = fresh(fillers);
            dictionary->SetValue(c.stored, u"stored");
            EXPECT_EQ(dictionary->HasKey(c.asked), c.match);
            dictionary->SetValue(c.asked, u"set again");
            EXPECT_EQ(dictionary->Count(), int32_t(fillers) + (c.match ? 1 : 2));
            EXPECT_EQ(dictionary->Key(int32_t(fillers) + 1), c.stored);

            // Loaded: the first map holds the stored spelling, a second map the asked one; each map
            // keeps its own spelling and finds the other.
            auto set = Dictionary::Create();
            DictionaryRef first = fresh(fillers);
            first->SetValue(c.stored, 1);
            DictionaryRef second = fresh(fillers);
            second->SetValue(c.asked, 2);
            set->SetValue(u"first", first);
            set->SetValue(u"second", second);
            set->Save(path);
            auto loaded = Dictionary::Create();
            loaded->Load(path);
            DictionaryRef loadedFirst = AsDictionary(loaded->Value(u"first"));
            DictionaryRef loadedSecond = AsDictionary(loaded->Value(u"second"));
            EXPECT_EQ(loadedFirst->Key(int32_t(fillers) + 1), c.stored);
            EXPECT_EQ(loadedSecond->Key(int32_t(fillers) + 1), c.asked);
            EXPECT_EQ(loadedFirst->HasKey(c.asked), c.match);
            EXPECT_EQ(loadedSecond->HasKey(c.stored), c.match);
            EXPECT_EQ(loadedFirst->Value(c.stored).ToInt32(), 1);
        }
    }
}

TEST(Dictionary, KeyPositionsOutside1ToCountAreOutOfRange) {
    auto dictionary = Dictionary::Create();
    dictionary->SetValue(u"a", 1);
    for (int32_t index : {0, 2, -1, INT32_MAX, INT32_MIN}) {
        EXPECT_EQ(ErrorNumberOf([&] { dictionary->Key(index); }), errors::kSubscriptOutOfRange) << index;
        EXPECT_EQ(ErrorNumberOf([&] { dictionary->ValueAt(index); }), errors::kSubscriptOutOfRange) << index;
    }
    std::vector<Variant> args{Variant(u"2147483648")};
    EXPECT_EQ(ErrorNumberOf([&] { dictionary->Invoke(u"Key", CallKind::Method, args); }), errors::kOverflow);
}

}  // namespace
}  // namespace orva::components
