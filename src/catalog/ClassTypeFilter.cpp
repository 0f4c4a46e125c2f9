#include "catalog/ClassTypeFilter.h"

#include <limits>

#include "automation/AutomationError.h"
#include "automation/Object.h"
#include "automation/TextHelpers.h"

namespace orva::components {

using namespace automation;

namespace {

struct FieldName {
    const char16_t* name;
    ClassTypeField field;
};

// Longest first, so that "FID" is not taken from the front of a longer name.
constexpr FieldName kFields[] = {
    {u"FBillTypeID", ClassTypeField::FBillTypeID},
    {u"FFunctionID", ClassTypeField::FFunctionID},
    {u"FID", ClassTypeField::FID},
};

struct OperatorText {
    const char16_t* text;
    FilterOperator op;
};

// Two-character operators first, so that "<=" is not read as "<" followed by "=".
constexpr OperatorText kOperators[] = {
    {u"<>", FilterOperator::NotEqual},
    {u"<=", FilterOperator::LessOrEqual},
    {u">=", FilterOperator::GreaterOrEqual},
    {u"=", FilterOperator::Equal},
    {u"<", FilterOperator::Less},
    {u">", FilterOperator::Greater},
};

constexpr size_t kShownFilterUnits = 80;

bool IsLetterOrDigit(char16_t c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'_';
}

class FilterParser {
public:
    explicit FilterParser(TextView filter) : m_filter(filter) {}

    ClassTypeFilter Parse() {
        ClassTypeFilter result;
        SkipBlanks();
        if (AtEnd()) return result;
        while (true) {
            if (result.conditions.size() == kMaxFilterConditions) {
                Fail(u"more than " + Int32ToText(static_cast<int32_t>(kMaxFilterConditions)) +
                     u" conditions");
            }
            result.conditions.push_back(Condition());
            size_t blanks = SkipBlanks();
            if (AtEnd()) return result;
            if (blanks == 0 || !TakeWord(u"and")) Fail(u"\"and\" or the end of the filter");
            if (SkipBlanks() == 0) Fail(u"a blank after \"and\"");
        }
    }

private:
    ClassTypeCondition Condition() {
        ClassTypeCondition condition{};
        condition.field = Field();
        SkipBlanks();
        condition.op = Operator();
        SkipBlanks();
        condition.value = Integer();
        return condition;
    }

    ClassTypeField Field() {
        for (const FieldName& candidate : kFields) {
            if (TakeWord(candidate.name)) return candidate.field;
        }
        Fail(u"a field (FID, FBillTypeID or FFunctionID)");
    }

    FilterOperator Operator() {
        for (const OperatorText& candidate : kOperators) {
            TextView text(candidate.text);
            if (m_filter.substr(m_at).starts_with(text)) {
                m_at += text.size();
                return candidate.op;
            }
        }
        Fail(u"a comparison (=, <>, <, <=, >, >=)");
    }

    int32_t Integer() {
        size_t start = m_at;
        bool negative = false;
        if (!AtEnd() && (m_filter[m_at] == u'+' || m_filter[m_at] == u'-'))
            negative = m_filter[m_at++] == u'-';
        if (AtEnd() || m_filter[m_at] < u'0' || m_filter[m_at] > u'9') Fail(u"a whole number");
        // Accumulated as a negative number, which reaches the most negative 32-bit value.
        int64_t value = 0;
        for (; !AtEnd() && m_filter[m_at] >= u'0' && m_filter[m_at] <= u'9'; ++m_at) {
            value = value * 10 - (m_filter[m_at] - u'0');
            if (value < std::numeric_limits<int32_t>::min()) {
                m_at = start;
                Fail(u"a number within the 32-bit range");
            }
        }
        if (!negative && value == std::numeric_limits<int32_t>::min()) {
            m_at = start;
            Fail(u"a number within the 32-bit range");
        }
        if (!AtEnd() && IsLetterOrDigit(m_filter[m_at])) Fail(u"a blank or the end after the number");
        return static_cast<int32_t>(negative ? value : -value);
    }

    // Takes word (ASCII letters, case ignored) when it stands here as a whole word.
    bool TakeWord(TextView word) {
        if (m_filter.size() - m_at < word.size()) return false;
        if (!MemberIs(m_filter.substr(m_at, word.size()), word)) return false;
        size_t end = m_at + word.size();
        if (end < m_filter.size() && IsLetterOrDigit(m_filter[end])) return false;
        m_at = end;
        return true;
    }

    size_t SkipBlanks() {
        size_t start = m_at;
        while (!AtEnd() && m_filter[m_at] == u' ') ++m_at;
        return m_at - start;
    }

    bool AtEnd() const { return m_at >= m_filter.size(); }

    [[noreturn]] void Fail(const Text& expected) const {
        Text shown(m_filter.substr(0, kShownFilterUnits));
        if (m_filter.size() > kShownFilterUnits) shown += u"...";
        Raise(errors::kInvalidCall, u"OrvaMeta.ClassCatalog: filter \"" + shown +
                                        u"\" is refused: expected " + expected + u" at position " +
                                        Int32ToText(static_cast<int32_t>(m_at + 1)));
    }

    TextView m_filter;
    size_t m_at = 0;
};

}  // namespace

ClassTypeFilter ParseClassTypeFilter(TextView filter) { return FilterParser(filter).Parse(); }

const char* FilterColumn(ClassTypeField field) {
    switch (field) {
        case ClassTypeField::FBillTypeID:
            return "FBillTypeID";
        case ClassTypeField::FFunctionID:
            return "FFunctionID";
        case ClassTypeField::FID:
            break;
    }
    return "FID";
}

const char* FilterOperatorSql(FilterOperator op) {
    switch (op) {
        case FilterOperator::NotEqual:
            return "<>";
        case FilterOperator::Less:
            return "<";
        case FilterOperator::LessOrEqual:
            return "<=";
        case FilterOperator::Greater:
            return ">";
        case FilterOperator::GreaterOrEqual:
            return ">=";
        case FilterOperator::Equal:
            break;
    }
    return "=";
}

std::string FilterConditionsSql(const ClassTypeFilter& filter, std::string_view qualifier) {
    std::string sql;
    int parameter = 0;
    for (const ClassTypeCondition& condition : filter.conditions) {
        sql += " AND ";
        sql += qualifier;
        sql += std::string(FilterColumn(condition.field)) + " " + FilterOperatorSql(condition.op) + " ?" +
               std::to_string(++parameter);
    }
    return sql;
}

}  // namespace orva::components
