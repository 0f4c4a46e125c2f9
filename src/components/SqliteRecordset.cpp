#include "components/SqliteRecordset.h"

#include <limits>

#include "automation/AutomationError.h"
#include "automation/TextHelpers.h"

namespace orva::components {

using namespace automation;

SqliteRecordset::SqliteRecordset(std::unique_ptr<SqliteStatement> statement)
    : m_statement(std::move(statement)) {
    int count = m_statement->ColumnCount();
    for (int column = 0; column < count; ++column) {
        m_names.push_back(FromUtf8(m_statement->ColumnName(column)));
        m_exactColumns.emplace(m_names.back(), column);
        m_columns.emplace(UCase(m_names.back()), column);
    }
    Advance();
}

Variant SqliteRecordset::Field(TextView name) const {
    // Callers nearly always spell a field as the query does; case folding is the fallback.
    auto exact = m_exactColumns.find(Text(name));
    auto folded = exact == m_exactColumns.end() ? m_columns.find(UCase(name)) : m_columns.end();
    if (exact == m_exactColumns.end() && folded == m_columns.end()) {
        Raise(recordset_errors::kItemNotFound,
              u"Item cannot be found in the collection corresponding to the requested name or ordinal (" +
                  Text(name) + u")");
    }
    if (!m_statement) {
        Raise(recordset_errors::kNoCurrentRecord,
              u"Either BOF or EOF is True, or the current record has been deleted");
    }
    int index = exact != m_exactColumns.end() ? exact->second : folded->second;
    switch (m_statement->ColumnType(index)) {
        case SqliteColumnType::Integer: {
            int64_t value = m_statement->ColumnInteger(index);
            if (value >= std::numeric_limits<int32_t>::min() &&
                value <= std::numeric_limits<int32_t>::max()) {
                return static_cast<int32_t>(value);
            }
            return static_cast<double>(value);
        }
        case SqliteColumnType::Real:
            return m_statement->ColumnDouble(index);
        case SqliteColumnType::Text:
            return m_statement->ColumnText(index);
        case SqliteColumnType::Null:
            return NullValue{};
        case SqliteColumnType::Blob:
            break;
    }
    Raise(errors::kTypeMismatch, u"field " + Text(name) + u" holds binary data");
}

void SqliteRecordset::MoveNext() {
    if (!m_statement) {
        Raise(recordset_errors::kNoCurrentRecord,
              u"Either BOF or EOF is True, or the current record has been deleted");
    }
    Advance();
}

void SqliteRecordset::Close() { m_statement.reset(); }

void SqliteRecordset::Advance() {
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
