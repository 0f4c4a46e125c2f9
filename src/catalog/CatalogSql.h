#pragma once
// The SQL of the catalogue's tables, built from the catalogue's contract (account/CatalogContract.h)
// for the reader and the writer. Nothing from a caller reaches it: the language only picks one of
// three fixed column names. Parameter ?1 is always the parent's identifier. Top classes have none,
// and their statements are built with the same numbers and then renumbered by ForLevel (?2 becomes
// ?1, ...): a server must learn every parameter's type from the statement, so the numbers used must
// run from ?1 without a gap. Callers bind through Parameter.

#include <string>

#include "account/CatalogContract.h"

namespace orva::components::catalog_sql {

// A column, as SQL text.
std::string Column(const char16_t* field);
// The column of a per-language field (LanguageField).
std::string Column(const char16_t* stem, CatalogLanguage language);

// "<parent> = ?1 AND " for a level with a parent, empty for top classes.
std::string ParentAnd(const CatalogLevel& level);
// sql, written with the numbers of a level with a parent, as the level runs it: for top classes every
// ?N becomes ?N-1 (the SQL holds no ? outside parameters).
std::string ForLevel(const CatalogLevel& level, std::string sql);
// The number under which a statement built through ForLevel takes the parameter written ?number.
inline int Parameter(const CatalogLevel& level, int number) {
    return level.parentIdField ? number : number - 1;
}

// " WHERE <parent> = ?1" for a level with a parent, empty for top classes.
std::string WhereParent(const CatalogLevel& level);

// Every child of the parent in sibling order (FIndex, then identifier), with the fields the reader
// answers: identifier, parent's identifier, the name in language under the plain name field, the names
// in the three languages, the attributes, FIndex and FVisible.
std::string ListChildren(const CatalogLevel& level, CatalogLanguage language);

// The largest FIndex under the parent (no row when it has no children), read backwards from the
// (parent, FIndex, id) index: one B-tree descent however many siblings there are.
std::string LastIndex(const CatalogLevel& level);

}  // namespace orva::components::catalog_sql
