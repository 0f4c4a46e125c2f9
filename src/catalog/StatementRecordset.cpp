#include "catalog/StatementRecordset.h"

#include <algorithm>
#include <limits>

#include "automation/AutomationError.h"
#include "automation/TextHelpers.h"

namespace orva::components {

using namespace automation;

StatementRecordset::StatementRecordset(std::unique_ptr<Statement> statement)
    : m_statement(std::move(statement)) {
    // The column names of a query depend on its SQL text only (the library's queries name their
    // columns), and the services run the same few queries over and over: build the name maps once
    // per query text and thread.
    thread_local std::unordered_map<std::string, std::shared_ptr<const Columns>> cache;
    auto& slot = cache[m_statement->Sql()];
    if (!slot) {
        auto columns = std::make_shared<Columns>();
        int count = m_statement->ColumnCount();
        for (int column = 0; column < count; ++column) {
            columns->names.push_back(FromUtf8(m_statement->ColumnName(column)));
        }
        slot = columns;
    }
    m_columns = slot;
    Advance();
}

Variant StatementRecordset::Field(TextView name) const {
    // A query has a dozen columns at most, so a linear search beats hashing. Callers nearly always
    // spell a field as the query does; case folding is the fallback.
    const std::vector<Text>& names = m_columns->names;
    auto at = std::find(names.begin(), names.end(), name);
    if (at == names.end()) {
        at = std::find_if(names.begin(), names.end(),
                          [&](const Text& column) { return EqualsNoCase(column, name); });
    }
    if (at == names.end()) {
        Raise(recordset_errors::kItemNotFound,
              u"Item cannot be found in the collection corresponding to the requested name or ordinal (" +
                  Text(name) + u")");
    }
    if (!m_statement) {
        Raise(recordset_errors::kNoCurrentRecord,
              u"Either BOF or EOF is True, or the current record has been deleted");
    }
    int index = static_cast<int>(at - names.begin());
    switch (m_statement->TypeOf(index)) {
        case ColumnType::Integer: {
            int64_t value = m_statement->ColumnInteger(index);
            if (value >= std::numeric_limits<int32_t>::min() &&
                value <= std::numeric_limits<int32_t>::max()) {
                return static_cast<int32_t>(value);
            }
            return static_cast<double>(value);
        }
        case ColumnType::Real:
            return m_statement->ColumnDouble(index);
        case ColumnType::Text:
            return m_statement->ColumnText(index);
        case ColumnType::Null:
            return NullValue{};
        case ColumnType::Blob:
            break;
    }
    Raise(errors::kTypeMismatch, u"field " + Text(name) + u" holds binary data");
}

void StatementRecordset::MoveNext() {
    if (!m_statement) {
        Raise(recordset_errors::kNoCurrentRecord,
              u"Either BOF or EOF is True, or the current record has been deleted");
    }
    Advance();
}

void StatementRecordset::Close() { m_statement.reset(); }

void StatementRecordset::Advance() {
    bool row = false;
    try {
        row = m_statement->Step();
    } catch (...) {
        // Stepping again would start the query over and repeat rows already read: the recordset ends.
        m_statement.reset();
        throw;
    }
    if (!row) m_statement.reset();
}

}  // namespace orva::components
