#include "components/Vector.h"

#include <gtest/gtest.h>

#include "support/ErrorNumber.h"

#include "automation/AutomationError.h"
#include "components/Dictionary.h"

namespace orva::components {
namespace {

using namespace automation;

VectorRef Numbers(int count) {
    auto vector = Vector::Create();
    for (int i = 1; i <= count; ++i) vector->Add(int32_t(i));
    return vector;
}

std::vector<int32_t> Contents(const Vector& vector) {
    std::vector<int32_t> out;
    for (const Variant& item : vector) out.push_back(item.ToInt32());
    return out;
}

using orva::testing::ErrorNumberOf;

TEST(Vector, IsIndexedFromOne) {
    auto vector = Vector::Create();
    EXPECT_EQ(vector->LowerBound(), 1);
    EXPECT_EQ(vector->UpperBound(), 0);
    EXPECT_EQ(vector->Add(u"a"), 1);
    EXPECT_EQ(vector->Add(u"b"), 2);
    EXPECT_EQ(vector->Item(1), Variant(u"a"));
    EXPECT_EQ(vector->UpperBound(), 2);
    EXPECT_EQ(ErrorNumberOf([&] { vector->Item(0); }), errors::kSubscriptOutOfRange);
    EXPECT_EQ(ErrorNumberOf([&] { vector->Item(3); }), errors::kSubscriptOutOfRange);
}

TEST(Vector, RemoveTakesCountItemsOrNothingAtAll) {
    auto vector = Numbers(5);
    vector->Remove(2, 3);
    EXPECT_EQ(Contents(*vector), (std::vector<int32_t>{1, 5}));

    vector = Numbers(5);
    EXPECT_EQ(ErrorNumberOf([&] { vector->Remove(4, 3); }), errors::kSubscriptOutOfRange);
    EXPECT_EQ(ErrorNumberOf([&] { vector->Remove(6, 1); }), errors::kSubscriptOutOfRange);
    EXPECT_EQ(ErrorNumberOf([&] { vector->Remove(1, -1); }), errors::kSubscriptOutOfRange);
    EXPECT_EQ(Contents(*vector), (std::vector<int32_t>{1, 2, 3, 4, 5}));  // nothing half-removed
    vector->Remove(5, 1);
    vector->Remove(1, 0);
    EXPECT_EQ(Contents(*vector), (std::vector<int32_t>{1, 2, 3, 4}));
}

TEST(Vector, CopyIsASeparateListOfTheSameItems) {
    auto original = Vector::Create();
    auto entry = Dictionary::Create();
    original->Add(entry);
    original->Add(u"second");

    VectorRef copy = original->Copy();
    copy->Add(u"only in the copy");
    copy->Remove(2, 1);
    EXPECT_EQ(original->Count(), 2);
    EXPECT_EQ(copy->Count(), 2);
    // The entries themselves are shared: both lists describe the same lines.
    EXPECT_EQ(AsDictionary(copy->Item(1)), entry);
}

TEST(Vector, ByNameCallsMatchTheTypedOnes) {
    ObjectRef vector = Vector::Create();
    CallMethod(vector, u"Add", {u"x"});
    CallMethod(vector, u"Add", {u"y"});
    std::vector<Variant> let{Variant(2), Variant(u"z")};
    vector->Invoke(u"Item", CallKind::PropertyLet, let);
    EXPECT_EQ(GetProperty(vector, u"Item", {2}), Variant(u"z"));
    EXPECT_EQ(GetProperty(vector, u"UpperBound").ToInt32(), 2);
    CallMethod(vector, u"Remove", {1});
    EXPECT_EQ(GetProperty(vector, u"Count").ToInt32(), 1);
    ObjectRef copy = CallMethod(vector, u"Copy").ToObject();
    CallMethod(vector, u"Clear");
    EXPECT_EQ(GetProperty(copy, u"Count").ToInt32(), 1);
}

}  // namespace
}  // namespace orva::components
