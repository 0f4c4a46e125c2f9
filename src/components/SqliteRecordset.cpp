#include "components/SqliteRecordset.h"

#include <limits>

#include "automation/AutomationError.h"
#include "automation/TextHelpers.h"

namespace orva::components {

using namespace automation;

SqliteRecordset::SqliteRecordset(std::unique_ptr<SqliteStatement> statement) : m_statement(std::move(statement)) {
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
            columns->exact.emplace(columns->names.back(), column);
            columns->folded.emplace(UCase(columns->names.back()), column);
        }
        slot = columns;
    }
    m_columns = slot;
    Advance();
}

Variant SqliteRecordset::Field(TextView name) const {
    // Callers nearly always spell a field as the query does; case folding is the fallback.
    const auto& exactMap = m_columns->exact;
    const auto& foldedMap = m_columns->folded;
    auto exact = exactMap.find(Text(name));
    auto folded = exact == exactMap.end() ? foldedMap.find(UCase(name)) : foldedMap.end();
    if (exact == exactMap.end() && folded == foldedMap.end()) {
        Raise(recordset_errors::kItemNotFound,
              u"Item cannot be found in the collection corresponding to the requested name or ordinal (" +
                  Text(name) + u")");
    }
    if (!m_statement) {
        Raise(recordset_errors::kNoCurrentRecord,
              u"Either BOF or EOF is True, or the current record has been deleted");
    }
    int index = exact != exactMap.end() ? exact->second : folded->second;
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
