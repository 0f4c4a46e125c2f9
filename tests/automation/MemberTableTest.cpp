#include <gtest/gtest.h>

#include <vector>

#include "automation/AutomationError.h"
#include "automation/MemberTable.h"
#include "automation/TextHelpers.h"
#include "support/ErrorNumber.h"

namespace orva::automation {
namespace {

using orva::testing::ErrorNumberOf;

// A till whose rows answer with the row that was called, so a case can tell which row ran.
class Till : public Object {
public:
    int32_t balance = 0;

    Text TypeName() const override { return u"Till"; }
    Variant Invoke(TextView name, CallKind kind, std::span<Variant> args) override {
        // clang-format off
        static constexpr Member<Till> kMembers[] = {
            {.name = u"Balance", .call = [](Till& t, Args) -> Variant { return t.balance; }},
            {.name = u"Balance", .kinds = kAssign, .minArgs = 1, .maxArgs = 1,
             .call = [](Till& t, Args a) -> Variant { t.balance = a[0].ToInt32(); return u"let Balance"; }},
            // A method only; the memo is optional; the amount comes back as the new balance.
            {.name = u"Deposit", .kinds = kMethodCall, .minArgs = 1, .maxArgs = 2,
             .call = [](Till& t, Args a) -> Variant {
                 t.balance += a[0].ToInt32();
                 a[0] = Variant(t.balance);
                 return u"Deposit";
             }},
            {.name = u"Slip", .isDefault = true, .minArgs = 1, .maxArgs = 1,
             .call = [](Till&, Args) -> Variant { return u"Slip"; }},
            {.name = u"Sum", .minArgs = 1, .maxArgs = kNoArgLimit,
             .call = [](Till&, Args a) -> Variant { return Int32ToText(static_cast<int32_t>(a.size())); }},
        };
        // clang-format on
        return InvokeMember(*this, kMembers, name, kind, args);
    }
};

TEST(MemberTable, FindsTheRowByNameKindAndArgumentCount) {
    struct Case {
        const char16_t* name;
        CallKind kind;
        size_t argCount;
        int32_t error;  // 0: the call answers `answer`
        const char16_t* answer = u"";
    };
    using enum CallKind;
    const Case cases[] = {
        {u"balance", PropertyGet, 0, 0, u"0"},
        {u"BALANCE", Method, 0, 0, u"0"},
        {u"Balance", PropertyLet, 1, 0, u"let Balance"},
        {u"Balance", PropertySet, 1, 0, u"let Balance"},
        {u"Balance", PropertyGet, 1, errors::kWrongArgumentCount},
        {u"Balance", PropertyLet, 2, errors::kWrongArgumentCount},
        {u"Balanc", PropertyGet, 0, errors::kNoSuchMember},
        {u"Depos\u0131t", Method, 1, errors::kNoSuchMember},
        {u"deposit", Method, 1, 0, u"Deposit"},
        {u"Deposit", Method, 2, 0, u"Deposit"},
        {u"Deposit", Method, 0, errors::kWrongArgumentCount},
        {u"Deposit", Method, 3, errors::kWrongArgumentCount},
        {u"Deposit", PropertyGet, 1, errors::kNoSuchMember},
        {u"Deposit", PropertyLet, 1, errors::kNoSuchMember},
        {u"", PropertyGet, 1, 0, u"Slip"},
        {u"", Method, 1, 0, u"Slip"},
        {u"slip", PropertyGet, 1, 0, u"Slip"},
        {u"", Method, 0, errors::kWrongArgumentCount},
        {u"", PropertyLet, 2, errors::kNoSuchMember},
        {u"Sum", Method, 300, 0, u"300"},
        {u"Sum", Method, 0, errors::kWrongArgumentCount},
        {u"Missing", Method, 0, errors::kNoSuchMember},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.name) + " kind " + std::to_string(static_cast<int>(c.kind)) + " args " +
                     std::to_string(c.argCount));
        Till till;
        std::vector<Variant> args(c.argCount, Variant(1));
        Variant answer;
        EXPECT_EQ(ErrorNumberOf([&] { answer = till.Invoke(c.name, c.kind, args); }), c.error);
        if (c.error == 0) {
            EXPECT_EQ(answer.ToText(), c.answer);
        }
    }

    Text description;
    Till till;
    ErrorNumberOf([&] { till.Invoke(u"", CallKind::PropertyLet, {}); }, &description);
    EXPECT_EQ(description, u"Object doesn't support this property or method: Till.(default)");
}

TEST(MemberTable, AssignmentsReachTheObjectAndArgumentsAreWrittenBack) {
    auto till = std::make_shared<Till>();
    LetProperty(till, u"balance", 5);
    std::vector<Variant> args{Variant(7), Variant(u"memo")};
    CallByName(till, u"Deposit", args);
    EXPECT_EQ(args[0].ToInt32(), 12);
    EXPECT_EQ(args[1].ToText(), u"memo");
    EXPECT_EQ(GetProperty(till, u"Balance").ToInt32(), 12);
}

}  // namespace
}  // namespace orva::automation
