#include "components/Dictionary.h"

#include <gtest/gtest.h>

#include "automation/AutomationError.h"
#include "automation/ClassRegistry.h"
#include "automation/TextHelpers.h"
#include "components/Vector.h"

namespace orva::components {
namespace {

using namespace automation;

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

}  // namespace
}  // namespace orva::components
