// The class catalogue with its filter grammar, and the report catalogue, called by name as the
// publish dialog calls them, on the demo account.

#include <gtest/gtest.h>

#include <sstream>

#include "account/AccountConnections.h"
#include "automation/AutomationError.h"
#include "automation/ClassRegistry.h"
#include "automation/TextHelpers.h"
#include "bag/Dictionary.h"
#include "bag/Vector.h"
#include "catalog/ClassCatalog.h"
#include "catalog/ClassTypeFilter.h"
#include "catalog/MetadataSnapshot.h"
#include "catalog/MetadataTables.h"
#include "storage/Database.h"
#include "support/AccountFixture.h"
#include "support/ErrorNumber.h"

namespace orva::components {
namespace {

using automation::CallByName;
using automation::CallMethod;
using automation::CreateObject;
using automation::FromUtf8;
using automation::GetProperty;
using automation::ObjectRef;
using automation::Text;
using automation::Variant;
using orva::testing::ErrorNumberOf;
using testing::TestAccount;

Text Props(const TestAccount& account, const std::string& language) {
    return FromUtf8("Language=" + language + ";ConnectString=" + account.ConnectString() + ";");
}

// FID:FName of every class type the filter selects, through GetClassType by name (filter by reference).
std::vector<std::string> Types(const TestAccount& account, const std::string& language, const Text& filter) {
    std::vector<Variant> args{Props(account, language), filter};
    VectorRef types = AsVector(CallByName(CreateObject(u"OrvaMeta.ClassCatalog"), u"GetClassType", args));
    EXPECT_EQ(args[1], Variant(filter));
    std::vector<std::string> described;
    for (const Variant& item : *types) {
        DictionaryRef type = AsDictionary(item);
        described.push_back(std::to_string(type->Value(u"FID").ToInt32()) + ":" +
                            automation::ToUtf8(type->Value(u"FName").ToText()));
    }
    return described;
}

TEST(ClassCatalog, SelectsTheTypesTheDialogsFiltersName) {
    TestAccount account;
    using Names = std::vector<std::string>;
    struct Case {
        const char* language;
        const char16_t* filter;
        Names expected;
    };
    const Case cases[] = {
        // The two filters of the publish dialog, as it writes them.
        {"EN",
         u"FID>=200000000 and FBillTypeID=1 and FFunctionID=12",
         {"200000004:Customer Credit Limit", "200000009:Store"}},
        {"CHT",
         u"FID>=200000000 and FBillTypeID<>1  and FFunctionID=12",
         {"200000003:銷售報價單", "200000005:退貨申請單", "200000006:銷售毛利查詢"}},
        {"EN", u"FID>=200000000 and FBillTypeID<>1  and FFunctionID=101", {}},
        {"EN", u"  fid = 81  AND fbilltypeid=+4 ", {"81:Sales Order"}},
        {"CHS",
         u"FID<1002 and FID>-2147483648",
         {"71:采购订单", "72:采购入库单", "81:销售订单", "82:销售出库单", "83:销售发票", "85:收款单",
          "86:付款单", "1001:会计科目"}},
        {"EN", u"FID<=2147483647 and FID>=2147483647", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Types(account, c.language, c.filter), c.expected) << automation::ToUtf8(c.filter);
    EXPECT_EQ(Types(account, "EN", u"").size(), 22u);  // an empty filter selects every type

    // Each dictionary carries what the wizard's chosen types need besides FID and FName.
    VectorRef one =
        ClassTypeDictionaries(account.Address(), CatalogLanguage::EN, ParseClassTypeFilter(u"FID=200000002"));
    DictionaryRef type = AsDictionary(one->Item(1));
    EXPECT_EQ(type->Value(u"FMName").ToText(), u"供应商评估单|供應商評鑑單|Supplier Evaluation");
    EXPECT_EQ(type->Value(u"FBillTypeID"), Variant(4));
    EXPECT_EQ(type->Value(u"FFunctionID"), Variant(11));
}

// Every field with every comparison, just below, at and just above a value the account holds, written
// with and without blanks, selects exactly the types the comparison holds for: through the plain read,
// the read with actions (the bill group's snapshot) and GetClassType by name.
TEST(ClassTypeFilter, EachComparisonSelectsExactlyTheTypesItHoldsFor) {
    TestAccount account;
    const std::vector<ClassTypeRow> all = ReadClassTypes(account.Address(), {});
    ASSERT_EQ(all.size(), 22u);
    struct Op {
        const char16_t* text;
        bool (*holds)(int32_t, int32_t);
    };
    const Op ops[] = {
        {u"=", [](int32_t a, int32_t b) { return a == b; }},
        {u"<>", [](int32_t a, int32_t b) { return a != b; }},
        {u"<", [](int32_t a, int32_t b) { return a < b; }},
        {u"<=", [](int32_t a, int32_t b) { return a <= b; }},
        {u">", [](int32_t a, int32_t b) { return a > b; }},
        {u">=", [](int32_t a, int32_t b) { return a >= b; }},
    };
    struct Field {
        const char16_t* name;
        int32_t ClassTypeRow::*column;
        int32_t held;  // a value some type has
    };
    const Field fields[] = {{u"FID", &ClassTypeRow::fid, 81},
                            {u"fbilltypeid", &ClassTypeRow::billTypeId, 2},
                            {u"FFunctionID", &ClassTypeRow::functionId, 12}};
    int written = 0;
    for (const Field& field : fields) {
        for (const Op& op : ops) {
            for (int32_t value : {field.held - 1, field.held, field.held + 1}) {
                const Text filter = Text(field.name) + (written % 2 ? u" " : u"") + op.text +
                                    (written % 2 ? u" " : u"") + automation::Int32ToText(value);
                ++written;
                std::vector<int32_t> expected, plain, withActions, byName;
                for (const ClassTypeRow& row : all) {
                    if (op.holds(row.*field.column, value)) expected.push_back(row.fid);
                }
                for (const ClassTypeRow& row :
                     ReadClassTypes(account.Address(), ParseClassTypeFilter(filter)))
                    plain.push_back(row.fid);
                for (const ClassTypeWithActions& t :
                     ReadClassTypesWithActions(account.Address(), ParseClassTypeFilter(filter)))
                    withActions.push_back(t.type.fid);
                for (const std::string& type : Types(account, "EN", filter))
                    byName.push_back(std::stoi(type.substr(0, type.find(':'))));
                EXPECT_EQ(plain, expected) << automation::ToUtf8(filter);
                EXPECT_EQ(withActions, expected) << automation::ToUtf8(filter);
                EXPECT_EQ(byName, expected) << automation::ToUtf8(filter);
            }
        }
    }
}

TEST(ClassTypeFilter, RefusesEverythingOutsideTheGrammarNamingTheFilter) {
    TestAccount account;
    std::vector<Text> hostile = {
        u"FID=1; DROP TABLE t_ClassType",
        u"FID=1 -- comment",
        u"FID=1 /* c */",
        u"FID='1'",
        u"FID=\"1\"",
        u"FID=1 or 1=1",
        u"FName='x'",
        u"FID=1 and FName_EN='x'",
        u"FIDX=1",
        u"F ID=1",
        u"FID==1",
        u"FID=>1",
        u"FID=<1",
        u"FID< =1",
        u"FID> =1",
        u"FID<==1",
        u"FID<>=1",
        u"FID><1",
        u"FID!=1",
        u"FID=!1",
        u"FID =",
        u"FID",
        u"=1",
        u"(FID=1)",
        u"FID=0x10",
        u"FID=1.5",
        u"FID=1e3",
        u"FID=1 and",
        u"and FID=1",
        u"FID=1and FID=2",
        u"FID=1 andFID=2",
        u"FID=1 and  and FID=2",
        u"FID=1\tand FID=2",
        u"FID=2147483648",
        u"FID=-2147483649",
        u"FID=99999999999999999999999999",
        u"FID=--1",
        u"FID=+-1",
        u"FID=\uFF11",
        Text(u"FID=1\0 and FID=2", 16),
        u"FID=1 AND FID=2 OR FID=3",
        u"FID IN (1,2)",
        u"FID BETWEEN 1 AND 2",
    };
    Text seventeen = u"FID>0";
    for (int i = 0; i < 16; ++i) seventeen += u" and FID>0";
    hostile.push_back(seventeen);
    ObjectRef catalog = CreateObject(u"OrvaMeta.ClassCatalog");
    for (const Text& filter : hostile) {
        Text description;
        EXPECT_EQ(ErrorNumberOf(
                      [&] {
                          CallMethod(catalog, u"GetClassType", {Props(account, "EN"), filter});
                      },
                      &description),
                  5)
            << automation::ToUtf8Lossy(filter);
        EXPECT_EQ(description.find(u"OrvaMeta.ClassCatalog: filter \"" + filter.substr(0, 80)), 0u)
            << automation::ToUtf8Lossy(description);
    }
    EXPECT_EQ(account.Count("SELECT count(*) FROM t_ClassType"), 22);
    // Sixteen conditions are the most a filter holds.
    EXPECT_EQ(ParseClassTypeFilter(seventeen.substr(0, seventeen.rfind(u" and"))).conditions.size(), 16u);
    // The position of the fault is given, counted from 1.
    Text description;
    ErrorNumberOf([] { ParseClassTypeFilter(u"FID>=1 and FName=2"); }, &description);
    EXPECT_NE(description.find(u"expected a field (FID, FBillTypeID or FFunctionID) at position 12"),
              Text::npos)
        << automation::ToUtf8(description);
    // Without an account nothing is read, and the filter is checked first.
    EXPECT_EQ(ErrorNumberOf([&] { CallMethod(catalog, u"GetClassType", {u"Language=EN", u"FID=1"}); }), 5);
}

// FID:FName:FType of the reports of a subsystem, through GetReportRs by name as the dialog calls it.
std::vector<std::string> Reports(const TestAccount& account, const std::string& language, int32_t subsystem) {
    std::vector<Variant> args{Props(account, language), int16_t{0}, int16_t{0}, subsystem};
    ObjectRef records =
        CallByName(CreateObject(u"OrvaReports.ReportCatalog"), u"GetReportRs", args).ToObject();
    EXPECT_EQ(args[3], Variant(subsystem));
    std::vector<std::string> described;
    for (; !GetProperty(records, u"EOF").ToBool(); CallMethod(records, u"MoveNext")) {
        described.push_back(std::to_string(CallMethod(records, u"", {u"FID"}).ToInt32()) + ":" +
                            automation::ToUtf8(CallMethod(records, u"", {u"FName"}).ToText()) + ":" +
                            std::to_string(CallMethod(records, u"", {u"FType"}).ToInt32()));
    }
    return described;
}

TEST(ReportCatalog, AnswersTheReportsOfOneSubsystem) {
    TestAccount account;
    EXPECT_EQ(Reports(account, "EN", 12),
              (std::vector<std::string>{
                  "5101:Sales Order Execution Summary:1001", "5102:Sales Revenue Statistics:1000",
                  "5103:Top Customers by Sales:1002", "5104:Gross Margin Analysis:1000"}));
    EXPECT_EQ(Reports(account, "CHT", 22), (std::vector<std::string>{"5401:MRP運算結果查詢:1002"}));
    EXPECT_TRUE(Reports(account, "EN", 21).empty());  // a subsystem without reports
    EXPECT_TRUE(Reports(account, "EN", 0).empty());   // a host that set no subsystem
    EXPECT_EQ(ReportTag(5001, 1001), u"SQLRPT|5001");
    EXPECT_EQ(ReportTag(5004, 1000), u"CROSSRPT|5004");
    EXPECT_EQ(ReportTag(5011, 1002), u"NEWCROSSRPT|5011");
    EXPECT_EQ(ReportTag(7, -3), u"SQLRPT|7");

    ObjectRef catalog = CreateObject(u"OrvaReports.ReportCatalog");
    Text description;
    EXPECT_EQ(ErrorNumberOf(
                  [&] {
                      CallMethod(catalog, u"GetReportRs", {Props(account, "EN"), 1, 0, 12});
                  },
                  &description),
              5);
    EXPECT_NE(description.find(u"report class 1"), Text::npos);
    EXPECT_EQ(ErrorNumberOf([&] {
                  CallMethod(catalog, u"GetReportRs", {Props(account, "EN"), 0, 2, 12});
              }),
              5);
    EXPECT_EQ(ErrorNumberOf([&] {
                  CallMethod(catalog, u"GetReportRs", {Props(account, "EN"), 0, 0, u"x"});
              }),
              13);
    EXPECT_EQ(ErrorNumberOf([&] { CallMethod(catalog, u"GetReportRs", {Props(account, "EN"), 0, 0}); }), 450);
}

// What the reads a dialog makes per bill type answer, one line per type.
std::string ReadsOf(const AccountAddress& account, const std::vector<int32_t>& fids) {
    std::string out;
    for (int32_t fid : fids) {
        out += std::to_string(fid);
        if (std::optional<ClassTypeRow> type = ReadClassType(account, fid)) {
            out += ":" + automation::ToUtf8(type->MultiLanguageName()) + ":" +
                   std::to_string(type->billTypeId) + ":" + std::to_string(type->functionId);
        }
        for (const BillActionRow& a : ReadBillActions(account, fid)) {
            out += " " +
                   automation::ToUtf8(a.key + u"/" + a.names[0] + u"/" + a.names[1] + u"/" + a.names[2]) +
                   "/" + std::to_string(a.environment);
        }
        out += "\n";
    }
    return out;
}

std::string LineOf(const std::string& reads, int32_t fid) {
    std::istringstream lines(reads);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(std::to_string(fid) + ":", 0) == 0) return line;
    }
    return "";
}

TEST(MetadataSnapshot, AnswersItsTypesAsTheAccountDidAndLeavesEverythingElseToTheAccount) {
    TestAccount account;
    const AccountAddress address = account.Address();
    // Keys whose order differs with and without letter case, and ties on FOrder.
    OpenAccount(address)->Execute(
        "INSERT INTO t_ClassType VALUES (300000001, 'x', 'x', 'x', 4, 12); "
        "INSERT INTO t_BillAction VALUES (300000001, 'Zeta', 1, 'z', 'z', 'z', 64), "
        "(300000001, 'alpha', 1, 'a', 'a', 'a', 64), (300000001, 'Beta', 0, 'b', 'b', 'b', 64), "
        "(300000001, '_u', 1, 'u', 'u', 'u', 64)");
    std::vector<int32_t> fids{404};  // no such type
    for (const ClassTypeRow& row : ReadClassTypes(address, {})) fids.push_back(row.fid);
    const std::string before = ReadsOf(address, fids);
    ASSERT_EQ(LineOf(before, 300000001),
              "300000001:x|x|x:4:12 Beta/b/b/b/64 _u/u/u/u/64 alpha/a/a/a/64 Zeta/z/z/z/64");

    for (const char16_t* filter : {u"", u"FID>=200000000 and FBillTypeID<>1  and FFunctionID=12", u"FID<0"}) {
        ScopedMetadataSnapshot snapshot(address, ParseClassTypeFilter(filter));
        EXPECT_EQ(snapshot.Size(), ReadClassTypes(address, ParseClassTypeFilter(filter)).size());
        EXPECT_EQ(ReadsOf(address, fids), before) << automation::ToUtf8(filter);
    }

    // Another account with the same types, changed: the snapshot of this one never answers for it.
    TestAccount other;
    const char* change =
        "UPDATE t_ClassType SET FName_EN = FName_EN || '!'; "
        "UPDATE t_BillAction SET FEnvironment = FEnvironment + 1000";
    OpenAccount(other.Address())->Execute(change);
    const std::string otherBefore = ReadsOf(other.Address(), fids);
    ASSERT_NE(otherBefore, before);

    // The snapshot is memory: a change made while it lives shows for the types it does not hold, for
    // all of them once it ends, and while an inner snapshot of other types hides it.
    {
        ScopedMetadataSnapshot bills(address, ParseClassTypeFilter(u"FBillTypeID=4"));
        OpenAccount(address)->Execute(change);
        const std::string during = ReadsOf(address, fids);
        EXPECT_EQ(LineOf(during, 81), LineOf(before, 81));  // a bill: from the snapshot
        EXPECT_EQ(LineOf(during, 300000001), LineOf(before, 300000001));
        EXPECT_EQ(LineOf(during, 1003), LineOf(otherBefore, 1003));  // base data: from the account
        EXPECT_EQ(ReadsOf(other.Address(), fids), otherBefore);
        {
            ScopedMetadataSnapshot none(address, ParseClassTypeFilter(u"FID<0"));
            EXPECT_EQ(LineOf(ReadsOf(address, fids), 81), LineOf(otherBefore, 81));
        }
        EXPECT_EQ(LineOf(ReadsOf(address, fids), 81), LineOf(before, 81));
    }
    for (int32_t fid : {81, 1003}) EXPECT_EQ(LineOf(ReadsOf(address, fids), fid), LineOf(otherBefore, fid));
}

}  // namespace
}  // namespace orva::components
