#include "support/CatalogueDump.h"

#include "catalog/CatalogReader.h"

namespace orva::testing {

using namespace automation;
using namespace components;

std::multiset<Text> CataloguePaths(const std::string& accountPath) {
    CatalogReader reader(AccountAddress{accountPath, false}, CatalogLanguage::CHS);
    std::multiset<Text> paths;
    auto walk = [](std::shared_ptr<Recordset> records, auto&& each) {
        for (; !records->IsEOF(); records->MoveNext()) each(*records);
    };
    walk(reader.GetTopClass_All(), [&](Recordset& top) {
        Text topName = top.Field(u"FTopClassName").ToText();
        paths.insert(topName);
        walk(reader.GetSubSystem_All(top.Field(u"FTopClassID").ToInt32()), [&](Recordset& sub) {
            Text subName = topName + u"/" + sub.Field(u"FName").ToText();
            paths.insert(subName);
            walk(reader.GetSubFunc_All(sub.Field(u"FSubSysID").ToInt32()), [&](Recordset& func) {
                Text funcName = subName + u"/" + func.Field(u"FFuncName").ToText();
                paths.insert(funcName);
                walk(reader.GetDetailFunc_All(func.Field(u"FSubFuncID").ToInt32()), [&](Recordset& detail) {
                    paths.insert(funcName + u"/" + detail.Field(u"FFuncName").ToText() + u"|" +
                                 detail.Field(u"FClassParam").ToText());
                });
            });
        });
    });
    return paths;
}

}  // namespace orva::testing
