#include "catalog/CatalogSql.h"

#include "automation/TextHelpers.h"

namespace orva::components::catalog_sql {

using automation::ToUtf8;

std::string Column(const char16_t* field) { return ToUtf8(field); }

std::string Column(const char16_t* stem, CatalogLanguage language) {
    return ToUtf8(LanguageField(stem, language));
}

std::string ParentAnd(const CatalogLevel& level) {
    return level.parentIdField ? Column(level.parentIdField) + " = ?1 AND " : std::string();
}

std::string ForLevel(const CatalogLevel& level, std::string sql) {
    if (level.parentIdField) return sql;
    std::string renumbered;
    renumbered.reserve(sql.size());
    for (size_t at = 0; at < sql.size();) {
        if (sql[at] != '?') {
            renumbered += sql[at++];
            continue;
        }
        size_t end = at + 1;
        int number = 0;
        while (end < sql.size() && sql[end] >= '0' && sql[end] <= '9')
            number = number * 10 + (sql[end++] - '0');
        renumbered += "?" + std::to_string(number - 1);
        at = end;
    }
    return renumbered;
}

std::string WhereParent(const CatalogLevel& level) {
    return level.parentIdField ? " WHERE " + Column(level.parentIdField) + " = ?1" : std::string();
}

std::string ListChildren(const CatalogLevel& level, CatalogLanguage language) {
    std::string id = Column(level.idField);
    std::string sql = "SELECT " + id;
    if (level.parentIdField) sql += ", " + Column(level.parentIdField);
    sql += ", " + Column(level.nameField, language) + " AS " + Column(level.nameField);
    for (CatalogLanguage each : kCatalogLanguages) sql += ", " + Column(level.nameField, each);
    for (const CatalogAttribute& attribute : level.Attributes()) sql += ", " + Column(attribute.field);
    sql += ", " + Column(kIndexField) + ", " + Column(kVisibleField) + " FROM " + Column(level.table);
    return sql + WhereParent(level) + " ORDER BY " + Column(kIndexField) + ", " + id;
}

std::string LastIndex(const CatalogLevel& level) {
    std::string index = Column(kIndexField);
    return "SELECT " + index + " FROM " + Column(level.table) + WhereParent(level) + " ORDER BY " + index +
           " DESC LIMIT 1";
}

}  // namespace orva::components::catalog_sql
