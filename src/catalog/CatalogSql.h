#pragma once
// The SQL of the catalogue's tables, built from the catalogue's contract (account/CatalogContract.h)
// for the reader and the writer. Nothing from a caller reaches it: the language only picks one of
// three fixed column names. Parameter ?1 is always the parent's identifier (top classes have none).

#include <string>

#include "account/CatalogContract.h"

namespace orva::components::catalog_sql {

// A column, as SQL text.
std::string Column(const char16_t* field);
// The column of a per-language field (LanguageField).
std::string Column(const char16_t* stem, CatalogLanguage language);

// "<parent> = ?1 AND " for a level with a parent, empty for top classes.
std::string ParentAnd(const CatalogLevel& level);
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
