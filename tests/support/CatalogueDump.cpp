#include "support/CatalogueDump.h"

#include "catalog/CatalogReader.h"

namespace orva::testing {

using namespace automation;
using namespace components;

namespace {

// Adds the paths of the children of parent at level, each under prefix, and of all below them.
void AddPaths(CatalogReader& reader, const CatalogLevel& level, int32_t parent, const Text& prefix,
              std::multiset<Text>& paths) {
    for (auto records = reader.GetChildren(level, parent); !records->IsEOF(); records->MoveNext()) {
        Text path = prefix + records->Field(level.nameField).ToText();
        if (const CatalogLevel* child = level.Child()) {
            paths.insert(path);
            AddPaths(reader, *child, records->Field(level.idField).ToInt32(), path + u"/", paths);
        } else {
            paths.insert(path + u"|" + records->Field(level.identityField).ToText());
        }
    }
}

}  // namespace

std::multiset<Text> CataloguePaths(const std::string& accountPath) {
    AccountAddress account = IsPostgresConnectString(accountPath)
                                 ? AccountAddress{accountPath, false, AccountKind::Postgres}
                                 : AccountAddress{accountPath, false};
    CatalogReader reader(account, CatalogLanguage::CHS);
    std::multiset<Text> paths;
    AddPaths(reader, kTopClassLevel, 0, Text(), paths);
    return paths;
}

}  // namespace orva::testing
