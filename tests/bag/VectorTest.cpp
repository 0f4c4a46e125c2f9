#include <gtest/gtest.h>

#include "automation/AutomationError.h"
#include "bag/Dictionary.h"
#include "bag/Vector.h"
#include "support/ErrorNumber.h"

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

TEST(Vector, IndexesAtTheEndsOfThe32BitRangeAreOutOfRange) {
    VectorRef vector = Numbers(3);
    struct Case {
        int32_t index;
        int32_t count;
    };
    for (const Case& c : {Case{INT32_MAX, 1}, Case{INT32_MIN, 1}, Case{0, 1}, Case{4, 0}, Case{1, INT32_MAX},
                          Case{3, INT32_MAX}, Case{2, INT32_MIN}, Case{INT32_MAX, INT32_MAX}}) {
        SCOPED_TRACE(std::to_string(c.index) + " " + std::to_string(c.count));
        if (c.count == 1 || c.index < 1 || c.index > 3) {
            EXPECT_EQ(ErrorNumberOf([&] { vector->Item(c.index); }), errors::kSubscriptOutOfRange);
            EXPECT_EQ(ErrorNumberOf([&] { vector->SetItem(c.index, 0); }), errors::kSubscriptOutOfRange);
        }
        EXPECT_EQ(ErrorNumberOf([&] { vector->Remove(c.index, c.count); }), errors::kSubscriptOutOfRange);
        EXPECT_EQ(Contents(*vector), (std::vector<int32_t>{1, 2, 3}));
    }
    // By name, an index beyond the 32-bit range overflows while it is read.
    std::vector<Variant> args{Variant(u"2147483648")};
    EXPECT_EQ(ErrorNumberOf([&] { vector->Invoke(u"Item", CallKind::Method, args); }), errors::kOverflow);
    args = {Variant(u"2147483647")};
    EXPECT_EQ(ErrorNumberOf([&] { vector->Invoke(u"Item", CallKind::Method, args); }),
              errors::kSubscriptOutOfRange);
    args = {Variant(1), Variant(2147483647.0)};
    EXPECT_EQ(ErrorNumberOf([&] { vector->Invoke(u"Remove", CallKind::Method, args); }),
              errors::kSubscriptOutOfRange);
    vector->Remove(3, 1);
    EXPECT_EQ(Contents(*vector), (std::vector<int32_t>{1, 2}));
}

}  // namespace
}  // namespace orva::components
