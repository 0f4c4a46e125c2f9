#include "postgres/PostgresStatement.h"

#include <libpq-fe.h>

#include <charconv>
#include <cmath>
#include <limits>

#include "postgres/PostgresDatabase.h"

namespace orva::components {

using namespace automation;

namespace {

// The built-in types' object ids, fixed in every server's catalogue.
constexpr Oid kBool = 16;
constexpr Oid kBytea = 17;
constexpr Oid kInt8 = 20;
constexpr Oid kInt2 = 21;
constexpr Oid kInt4 = 23;
constexpr Oid kOid = 26;
constexpr Oid kFloat4 = 700;
constexpr Oid kFloat8 = 701;
constexpr Oid kNumeric = 1700;

constexpr int32_t kRange = 25;     // SQLITE_RANGE: a parameter index out of range
constexpr int32_t kMismatch = 20;  // SQLITE_MISMATCH: a value the server cannot store

bool IsIntegerType(Oid type) {
    return type == kInt2 || type == kInt4 || type == kInt8 || type == kOid || type == kBool;
}

bool IsRealType(Oid type) { return type == kFloat4 || type == kFloat8 || type == kNumeric; }

// A numeric's text is a whole number when it has no fraction and no exponent ("NaN" has letters).
bool IsWholeNumber(std::string_view text) {
    if (!text.empty() && text.front() == '-') text.remove_prefix(1);
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

double DoubleOf(std::string_view text) {
    double value = 0;
    // from_chars reads the server's "Infinity" and "NaN" too, and unlike strtod ignores the locale.
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

int64_t TruncatedToInteger(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 9223372036854775807.0) return std::numeric_limits<int64_t>::max();
    if (value <= -9223372036854775808.0) return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(value);
}

}  // namespace

void PostgresStatement::ResultDeleter::operator()(pg_result* result) const { PQclear(result); }

PostgresStatement::PostgresStatement(PostgresDatabase& database, std::string name, std::string sql,
                                     int parameterCount)
    : m_database(database),
      m_name(std::move(name)),
      m_sql(std::move(sql)),
      m_parameters(static_cast<size_t>(parameterCount)) {}

PostgresStatement::~PostgresStatement() {
    m_result.reset();
    if (m_database.Closing() || PQstatus(m_database.Handle()) != CONNECTION_OK) return;
    // Ignored: a statement left prepared (the transaction is aborted and refuses every command but
    // ROLLBACK) only costs the server a little memory until the connection closes; its name is never
    // used again.
    PQclear(PQexec(m_database.Handle(), ("DEALLOCATE " + m_name).c_str()));
}

void PostgresStatement::CheckIndex(int index) const {
    if (index < 1 || index > static_cast<int>(m_parameters.size())) {
        RaiseDatabaseError(m_database.Name(), "column index out of range", kRange);
    }
}

void PostgresStatement::Bind(int index, int64_t value) {
    CheckIndex(index);
    m_parameters[static_cast<size_t>(index - 1)] = std::to_string(value);
}

void PostgresStatement::Bind(int index, TextView value) {
    CheckIndex(index);
    std::string utf8 = ToUtf8(value);
    // A text parameter ends at its first NUL: the server would silently store a shortened text.
    if (utf8.find('\0') != std::string::npos) {
        RaiseDatabaseError(m_database.Name(),
                           "a text holds the character U+0000, which the server cannot store", kMismatch);
    }
    m_parameters[static_cast<size_t>(index - 1)] = std::move(utf8);
}

void PostgresStatement::BindNull(int index) {
    CheckIndex(index);
    m_parameters[static_cast<size_t>(index - 1)].reset();
}

bool PostgresStatement::Step() {
    if (!m_result) {
        m_database.CheckUsable();
        std::vector<const char*> values;
        values.reserve(m_parameters.size());
        for (const std::optional<std::string>& parameter : m_parameters) {
            values.push_back(parameter ? parameter->c_str() : nullptr);
        }
        m_result.reset(m_database.CheckResult(
            PQexecPrepared(m_database.Handle(), m_name.c_str(), static_cast<int>(values.size()),
                           values.data(), nullptr, nullptr, 0),
            m_sql));
        m_row = -1;
    }
    int rows = PQntuples(m_result.get());
    if (m_row < rows) ++m_row;
    return m_row < rows;
}

void PostgresStatement::Reset() {
    m_result.reset();
    m_row = -1;
}

void PostgresStatement::ResetForCache() {
    Reset();
    for (std::optional<std::string>& parameter : m_parameters) parameter.reset();
}

void PostgresStatement::NameColumns(const pg_result* result) const {
    std::vector<std::string> names;
    for (int column = 0; column < PQnfields(result); ++column) {
        names.push_back(SpellingInSql(m_sql, PQfname(result, column)));
    }
    m_columnNames = std::move(names);
}

int PostgresStatement::ColumnCount() const {
    if (m_result) return PQnfields(m_result.get());
    if (!m_columnNames) {
        m_database.CheckUsable();
        pg_result* description =
            m_database.CheckResult(PQdescribePrepared(m_database.Handle(), m_name.c_str()), m_sql);
        NameColumns(description);
        PQclear(description);
    }
    return static_cast<int>(m_columnNames->size());
}

std::string PostgresStatement::ColumnName(int column) const {
    if (!m_columnNames) {
        if (m_result) {
            NameColumns(m_result.get());
        } else {
            ColumnCount();
        }
    }
    return column >= 0 && column < static_cast<int>(m_columnNames->size()) ? (*m_columnNames)[column]
                                                                           : std::string();
}

const char* PostgresStatement::Value(int column) const {
    if (!m_result || m_row < 0 || m_row >= PQntuples(m_result.get()) || column < 0 ||
        column >= PQnfields(m_result.get()) || PQgetisnull(m_result.get(), m_row, column)) {
        return nullptr;
    }
    return PQgetvalue(m_result.get(), m_row, column);
}

ColumnType PostgresStatement::TypeOf(int column) const {
    const char* value = Value(column);
    if (value == nullptr) return ColumnType::Null;
    Oid type = PQftype(m_result.get(), column);
    if (IsIntegerType(type)) return ColumnType::Integer;
    // SQLite types each value: a sum or an average over integers that comes out whole is an integer.
    if (type == kNumeric && IsWholeNumber(value)) return ColumnType::Integer;
    if (IsRealType(type)) return ColumnType::Real;
    if (type == kBytea) return ColumnType::Blob;
    return ColumnType::Text;
}

int64_t PostgresStatement::IntegerOf(const pg_result* result, int row, int column) {
    if (PQgetisnull(result, row, column)) return 0;
    std::string_view text(PQgetvalue(result, row, column),
                          static_cast<size_t>(PQgetlength(result, row, column)));
    Oid type = PQftype(result, column);
    if (type == kBool) return text == "t" ? 1 : 0;
    if (IsRealType(type) && !IsWholeNumber(text)) return TruncatedToInteger(DoubleOf(text));
    int64_t value = 0;
    if (std::from_chars(text.data(), text.data() + text.size(), value).ec == std::errc::result_out_of_range) {
        return text.front() == '-' ? std::numeric_limits<int64_t>::min()
                                   : std::numeric_limits<int64_t>::max();
    }
    return value;
}

int64_t PostgresStatement::ColumnInteger(int column) const {
    return Value(column) ? IntegerOf(m_result.get(), m_row, column) : 0;
}

double PostgresStatement::ColumnDouble(int column) const {
    const char* value = Value(column);
    if (value == nullptr) return 0;
    if (PQftype(m_result.get(), column) == kBool) return value[0] == 't' ? 1 : 0;
    return DoubleOf(value);
}

Text PostgresStatement::ColumnText(int column) const {
    const char* value = Value(column);
    if (value == nullptr) return Text();
    if (PQftype(m_result.get(), column) == kBool) return value[0] == 't' ? u"1" : u"0";
    return FromUtf8Lossy(
        std::string_view(value, static_cast<size_t>(PQgetlength(m_result.get(), m_row, column))));
}

}  // namespace orva::components
