#include "catalog/BillActionCatalog.h"

#include "automation/AutomationError.h"
#include "automation/MemberTable.h"
#include "automation/TextHelpers.h"
#include "catalog/MetadataRecord.h"
#include "catalog/TemplateService.h"

namespace orva::components {

using namespace automation;

const std::vector<BillActionRow>& StandardBillActions() {
    // Names in all three languages are data of the action, like the names stored in the account; they
    // are not looked up, so they stay UTF-8 here.
    static const std::vector<BillActionRow> kActions = {
        {u"mnuFileNew", {FromUtf8("新增"), FromUtf8("新增"), u"New"}, 1},
        {u"mnuViewList", {FromUtf8("序时簿"), FromUtf8("序時簿"), u"List"}, 64},
    };
    return kActions;
}

void BillActionCatalog::SetClassTypeID(int32_t classTypeId) {
    m_classTypeId = classTypeId;
    m_initialized = false;
}

void BillActionCatalog::SetActions(std::vector<BillActionRow> actions) {
    m_actions = std::move(actions);
    m_recordsLanguage.reset();
}

void BillActionCatalog::SetClassType(ObjectRef classType) {
    if (classType) ClassTypeRecordId(classType);  // refuses any other object now, where it is given
    m_classType = std::move(classType);
    m_initialized = false;
}

void BillActionCatalog::Initialize() {
    m_initialized = false;
    if (!m_classTypeId) Raise(errors::kInvalidCall, Text(kProgId) + u": ClassTypeID is not set");
    if (m_classType) {
        int32_t templateId = ClassTypeRecordId(m_classType);
        if (templateId != *m_classTypeId) {
            Raise(errors::kInvalidCall, Text(kProgId) + u": ClassType is the template of class type " +
                                            Int32ToText(templateId) + u", not of ClassTypeID " +
                                            Int32ToText(*m_classTypeId));
        }
    }
    AccountAddress account = m_binding.Account();
    ClassTypeRow type = RequireClassType(account, *m_classTypeId, kProgId);
    SetActions(ReadBillActions(account, type.fid));
    m_kind = type.billTypeId;
    m_initialized = true;
}

void BillActionCatalog::RequireInitialized(TextView member) const {
    if (!m_initialized) {
        Raise(errors::kInvalidCall, Text(kProgId) + u": " + Text(member) +
                                        u" needs Initialize after ClassTypeID and ClassType are set");
    }
}

DictionaryRef BillActionCatalog::GetBillActions() const {
    RequireInitialized(u"GetBillActions");
    // Records never change, so the records of one language are made once and shared by every
    // dictionary answered until the actions or the language change.
    const CatalogLanguage language = m_binding.Language();
    if (m_recordsLanguage != language) {
        m_records.clear();
        m_records.reserve(m_actions.size());
        for (const BillActionRow& action : m_actions) {
            m_records.push_back(
                std::make_shared<MetadataRecord>(u"BillAction", action.key,
                                                 std::vector<MetadataRecord::Field>{
                                                     {u"FKey", action.key},
                                                     {u"FName_CHS", action.names[0]},
                                                     {u"FName_CHT", action.names[1]},
                                                     {u"FName_EN", action.names[2]},
                                                     {u"FName", NameIn(action.names, language)},
                                                     {u"FEnvironment", action.environment},
                                                 }));
        }
        m_recordsLanguage = language;
    }
    DictionaryRef actions = Dictionary::Create();
    for (size_t i = 0; i < m_actions.size(); ++i) actions->SetValue(m_actions[i].key, m_records[i]);
    return actions;
}

void BillActionCatalog::NewBill() {
    RequireInitialized(u"NewBill");
    if (m_kind == kBillKind && m_actions.empty()) SetActions(StandardBillActions());
}

Variant BillActionCatalog::Invoke(TextView name, CallKind kind, std::span<Variant> args) {
    static constexpr Member<BillActionCatalog> kMembers[] = {
        {.name = u"ClassTypeID",
         .kinds = kLet,
         .minArgs = 1,
         .maxArgs = 1,
         .call = [](BillActionCatalog& c, Args a) -> Variant {
             c.SetClassTypeID(a[0].ToInt32());
             return {};
         }},
        {.name = u"ClassTypeID",
         .call = [](BillActionCatalog& c, Args) -> Variant {
             return c.ClassTypeID() ? Variant(*c.ClassTypeID()) : Variant();
         }},
        {.name = u"ClassType",
         .kinds = kAssign,
         .minArgs = 1,
         .maxArgs = 1,
         .call = [](BillActionCatalog& c, Args a) -> Variant {
             c.SetClassType(a[0].ToObject());
             return {};
         }},
        {.name = u"ClassType", .call = [](BillActionCatalog& c, Args) -> Variant { return c.ClassType(); }},
        {.name = u"Initialize",
         .kinds = kMethodCall,
         .call = [](BillActionCatalog& c, Args) -> Variant {
             c.Initialize();
             return {};
         }},
        {.name = u"GetBillActions",
         .call = [](BillActionCatalog& c, Args) -> Variant { return c.GetBillActions(); }},
        {.name = u"NewBill",
         .kinds = kMethodCall,
         .call = [](BillActionCatalog& c, Args) -> Variant {
             c.NewBill();
             return {};
         }},
    };
    return InvokeMember(*this, kMembers, name, kind, args);
}

}  // namespace orva::components
