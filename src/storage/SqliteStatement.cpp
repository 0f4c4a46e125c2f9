#include "storage/SqliteStatement.h"

#include <sqlite3.h>

#include <algorithm>

#include "automation/Utf8Decode.h"
#include "storage/SqliteDatabase.h"

namespace orva::components {

using namespace automation;

SqliteStatement::~SqliteStatement() { sqlite3_finalize(m_statement); }

void SqliteStatement::Bind(int index, int64_t value) {
    int resultCode = sqlite3_bind_int64(m_statement, index, value);
    if (resultCode != SQLITE_OK) m_database.RaiseError(resultCode);
}

void SqliteStatement::Bind(int index, TextView value) {
    std::string utf8 = ToUtf8(value);
    int resultCode =
        sqlite3_bind_text(m_statement, index, utf8.data(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
    if (resultCode != SQLITE_OK) m_database.RaiseError(resultCode);
}

void SqliteStatement::BindNull(int index) {
    int resultCode = sqlite3_bind_null(m_statement, index);
    if (resultCode != SQLITE_OK) m_database.RaiseError(resultCode);
}

bool SqliteStatement::Step() {
    int resultCode = sqlite3_step(m_statement);
    if (resultCode == SQLITE_ROW) return true;
    if (resultCode == SQLITE_DONE) return false;
    // The message must be taken before the reset that a failed step needs.
    try {
        m_database.RaiseError(resultCode);
    } catch (...) {
        sqlite3_reset(m_statement);
        throw;
    }
}

void SqliteStatement::Reset() { sqlite3_reset(m_statement); }

void SqliteStatement::ResetForCache() {
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
}

int SqliteStatement::ColumnCount() const { return sqlite3_column_count(m_statement); }

std::string SqliteStatement::ColumnName(int column) const {
    const char* name = sqlite3_column_name(m_statement, column);
    return name ? name : std::string();
}

ColumnType SqliteStatement::TypeOf(int column) const {
    switch (sqlite3_column_type(m_statement, column)) {
        case SQLITE_INTEGER:
            return ColumnType::Integer;
        case SQLITE_FLOAT:
            return ColumnType::Real;
        case SQLITE_TEXT:
            return ColumnType::Text;
        case SQLITE_BLOB:
            return ColumnType::Blob;
        default:
            return ColumnType::Null;
    }
}

int64_t SqliteStatement::ColumnInteger(int column) const { return sqlite3_column_int64(m_statement, column); }

double SqliteStatement::ColumnDouble(int column) const { return sqlite3_column_double(m_statement, column); }

Text SqliteStatement::ColumnText(int column) const {
    // Stored texts are UTF-8 (the library binds nothing else): they are decoded here without SQLite's
    // conversion into a buffer of its own and the copy out of it.
    const auto* utf8 = sqlite3_column_text(m_statement, column);
    if (!utf8) return Text();
    const auto length = static_cast<size_t>(sqlite3_column_bytes(m_statement, column));
    if (std::all_of(utf8, utf8 + length, [](unsigned char byte) { return byte < 0x80; }))
        return Text(utf8, utf8 + length);
    Text decoded;
    if (DecodeValidUtf8(std::string_view(reinterpret_cast<const char*>(utf8), length), decoded))
        return decoded;
    // Bytes that are not UTF-8 (written by another program): SQLite converts them to the machine's
    // UTF-16, substituting U+FFFD.
    const void* text = sqlite3_column_text16(m_statement, column);
    if (!text) return Text();
    int bytes = sqlite3_column_bytes16(m_statement, column);
    return Text(static_cast<const char16_t*>(text), static_cast<size_t>(bytes) / sizeof(char16_t));
}

}  // namespace orva::components
