#pragma once
// Selection entries and packets as the dialogs build them, for the core tests.

#include "bag/Dictionary.h"
#include "bag/Vector.h"
#include "core/DeployPacket.h"
#include "core/KeyedEntry.h"

namespace orva::core::testdata {

inline components::DictionaryRef Selection(const automation::Text& topClassKey,
                                           const automation::Text& funcName,
                                           const automation::Text& classParam,
                                           const automation::Text& topClass = u"财务会计",
                                           const automation::Text& subSystem = u"总账",
                                           const automation::Text& subFunc = u"基础资料") {
    auto selection = components::Dictionary::Create();
    selection->SetValue(selection::kTopClass, ComposeKeyedEntry(topClass, topClassKey));
    selection->SetValue(selection::kSubSystem, ComposeKeyedEntry(subSystem, u"101"));
    selection->SetValue(selection::kSubFunc, ComposeKeyedEntry(subFunc, u"1001"));
    selection->SetValue(selection::kFuncDetail, ComposeKeyedEntry(funcName, classParam));
    selection->SetValue(selection::kNo, u"[" + funcName + u"] 发布到: [" + topClass + u"." + subSystem +
                                            u"." + subFunc + u"]");
    return selection;
}

}  // namespace orva::core::testdata
