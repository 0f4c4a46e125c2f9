#include "storage/PostgresSql.h"

#include <algorithm>
#include <cstddef>

namespace orva::components {

namespace {

// What each byte of an SQL text is part of.
enum class Part : char { Code, Literal, QuotedIdentifier, Comment };

// Classifies every byte of sql. A quote inside a string or identifier is doubled ('it''s'), which
// reads as the string ending and a new one starting at once: both halves are literal either way. An
// unterminated string or comment runs to the end, as the server reads it.
std::basic_string<Part> Classify(std::string_view sql) {
    std::basic_string<Part> parts(sql.size(), Part::Code);
    size_t i = 0;
    while (i < sql.size()) {
        char c = sql[i];
        size_t end = i + 1;
        Part part = Part::Code;
        if (c == '\'' || c == '"') {
            part = c == '\'' ? Part::Literal : Part::QuotedIdentifier;
            size_t close = sql.find(c, i + 1);
            end = close == std::string_view::npos ? sql.size() : close + 1;
        } else if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
            part = Part::Comment;
            size_t newline = sql.find('\n', i);
            end = newline == std::string_view::npos ? sql.size() : newline;
        } else if (c == '/' && i + 1 < sql.size() && sql[i + 1] == '*') {
            part = Part::Comment;
            size_t close = sql.find("*/", i + 2);
            end = close == std::string_view::npos ? sql.size() : close + 2;
        }
        std::fill(parts.begin() + static_cast<std::ptrdiff_t>(i),
                  parts.begin() + static_cast<std::ptrdiff_t>(end), part);
        i = end;
    }
    return parts;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Bytes of an unquoted identifier; every byte of a multi-byte UTF-8 character counts, as for the server.
bool IsIdentifierByte(char c) {
    auto byte = static_cast<unsigned char>(c);
    return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || IsDigit(c) || c == '_' ||
           c == '$' || byte >= 0x80;
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsNoAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

}  // namespace

PostgresSql RewriteParameters(std::string_view sql) {
    std::basic_string<Part> parts = Classify(sql);
    PostgresSql result;
    result.text.reserve(sql.size() + 8);
    size_t i = 0;
    while (i < sql.size()) {
        if (sql[i] != '?' || parts[i] != Part::Code) {
            result.text += sql[i++];
            continue;
        }
        size_t digits = i + 1;
        while (digits < sql.size() && IsDigit(sql[digits])) ++digits;
        int number = result.parameterCount + 1;
        if (digits > i + 1) {
            number = std::stoi(std::string(sql.substr(i + 1, digits - i - 1)));
        }
        result.parameterCount = std::max(result.parameterCount, number);
        result.text += '$';
        result.text += std::to_string(number);
        i = digits;
    }
    return result;
}

std::string SpellingInSql(std::string_view sql, std::string_view name) {
    if (name.empty()) return std::string(name);
    std::basic_string<Part> parts = Classify(sql);
    for (size_t at = 0; at + name.size() <= sql.size(); ++at) {
        if (parts[at] == Part::Literal || parts[at] == Part::Comment) continue;
        if (at > 0 && IsIdentifierByte(sql[at - 1]) && parts[at - 1] == parts[at]) continue;
        size_t end = at + name.size();
        if (end < sql.size() && IsIdentifierByte(sql[end]) && parts[end] == parts[at]) continue;
        if (EqualsNoAsciiCase(sql.substr(at, name.size()), name))
            return std::string(sql.substr(at, name.size()));
    }
    return std::string(name);
}

int32_t ResultCodeOfSqlState(std::string_view sqlState) {
    struct Mapping {
        std::string_view sqlState;
        int32_t resultCode;
    };
    static constexpr Mapping kMappings[] = {
        {"23505", 2067},  // unique_violation: SQLITE_CONSTRAINT_UNIQUE
        {"23503", 787},   // foreign_key_violation: SQLITE_CONSTRAINT_FOREIGNKEY
        {"23514", 275},   // check_violation: SQLITE_CONSTRAINT_CHECK
        {"23502", 1299},  // not_null_violation: SQLITE_CONSTRAINT_NOTNULL
        {"40001", 5},     // serialization_failure
        {"40P01", 5},     // deadlock_detected
        {"55P03", 5},     // lock_not_available (lock_timeout)
        {"57014", 5},     // query_canceled (statement_timeout)
        {"25006", 8},     // read_only_sql_transaction
    };
    for (const Mapping& mapping : kMappings) {
        if (mapping.sqlState == sqlState) return mapping.resultCode;
    }
    if (sqlState.substr(0, 2) == "23") return 19;  // another integrity constraint
    return 1;
}

}  // namespace orva::components
