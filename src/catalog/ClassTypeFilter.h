#pragma once
// The filter text by which callers of OrvaMeta.ClassCatalog choose class types, for example
//     FID>=200000000 and FBillTypeID<>1  and FFunctionID=101
// It reads like a SQL condition but never reaches SQL: it is parsed with the small grammar below into
// conditions whose fields and operators come from fixed tables and whose numbers are bound as
// parameters, so no filter text can change the query.
//
//     filter    := blank* [ condition ( blank+ "and" blank+ condition )* ] blank*
//     condition := field blank* operator blank* integer
//     field     := "FID" | "FBillTypeID" | "FFunctionID"      (letter case ignored)
//     operator  := "=" | "<>" | "<" | "<=" | ">" | ">="
//     integer   := [ "+" | "-" ] digit+                       (a signed 32-bit value)
//     blank     := U+0020
// "and" is matched without regard to letter case. An empty filter selects every class type. Anything
// else (quotes, semicolons, comments, "or", parentheses, other fields, tabs, numbers beyond 32 bits,
// more than kMaxConditions conditions) is refused.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "automation/Text.h"

namespace orva::components {

enum class ClassTypeField { FID, FBillTypeID, FFunctionID };
enum class FilterOperator { Equal, NotEqual, Less, LessOrEqual, Greater, GreaterOrEqual };

struct ClassTypeCondition {
    ClassTypeField field;
    FilterOperator op;
    int32_t value;

    bool operator==(const ClassTypeCondition&) const = default;
};

// The conditions of a filter, all of which a class type must meet.
struct ClassTypeFilter {
    std::vector<ClassTypeCondition> conditions;
};

// A filter has at most this many conditions; the dialogs write three.
inline constexpr size_t kMaxFilterConditions = 16;

// Parses a filter text. Raises 5 "filter "<text>" ...: <what was expected> at position N" (N counted
// from 1 in 16-bit units; the text shown is cut after 80 units) for anything outside the grammar.
ClassTypeFilter ParseClassTypeFilter(automation::TextView filter);

// The SQL column and operator of a condition: constants from fixed tables, never the caller's text.
const char* FilterColumn(ClassTypeField field);
const char* FilterOperatorSql(FilterOperator op);

// The filter as SQL: " AND <qualifier><column> <operator> ?N" for each condition, N counted from 1 in
// the conditions' order, for a query that binds each condition's value to its N. qualifier is a
// table alias with its dot ("c.") or empty.
std::string FilterConditionsSql(const ClassTypeFilter& filter, std::string_view qualifier);

}  // namespace orva::components
