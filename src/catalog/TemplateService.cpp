#include "catalog/TemplateService.h"

#include "automation/AutomationError.h"
#include "automation/MemberTable.h"
#include "automation/TextHelpers.h"

namespace orva::components {

using namespace automation;

namespace {
constexpr const char16_t* kClassTypeKind = u"ClassType";
}  // namespace

ClassTypeRow RequireClassType(const AccountAddress& account, int32_t classTypeId, TextView source) {
    std::optional<ClassTypeRow> row = ReadClassType(account, classTypeId);
    if (!row) {
        Raise(errors::kInvalidCall,
              Text(source) + u": the account has no class type " + Int32ToText(classTypeId));
    }
    return std::move(*row);
}

MetadataRecordRef MakeClassTypeRecord(const ClassTypeRow& row, CatalogLanguage language) {
    return std::make_shared<MetadataRecord>(kClassTypeKind, Int32ToText(row.fid),
                                            std::vector<MetadataRecord::Field>{
                                                {u"FID", row.fid},
                                                {u"FName", NameIn(row.names, language)},
                                                {u"FName_CHS", row.names[0]},
                                                {u"FName_CHT", row.names[1]},
                                                {u"FName_EN", row.names[2]},
                                                {u"FMName", row.MultiLanguageName()},
                                                {u"FBillTypeID", row.billTypeId},
                                                {u"FFunctionID", row.functionId},
                                            });
}

int32_t ClassTypeRecordId(const ObjectRef& classType) {
    auto record = As<MetadataRecord>(classType, kClassTypeKind);
    if (record->TypeName() != kClassTypeKind) RaiseWrongClass(*record, kClassTypeKind);
    return record->Value(u"FID").ToInt32();
}

MetadataRecordRef TemplateService::ClassType() const {
    if (!m_classTypeId) Raise(errors::kInvalidCall, Text(kProgId) + u": ClassTypeID is not set");
    return MakeClassTypeRecord(RequireClassType(m_binding.Account(), *m_classTypeId, kProgId),
                               m_binding.Language());
}

Variant TemplateService::Invoke(TextView name, CallKind kind, std::span<Variant> args) {
    static constexpr Member<TemplateService> kMembers[] = {
        {.name = u"ClassTypeID",
         .kinds = kLet,
         .minArgs = 1,
         .maxArgs = 1,
         .call = [](TemplateService& s, Args a) -> Variant {
             s.SetClassTypeID(a[0].ToInt32());
             return {};
         }},
        {.name = u"ClassTypeID",
         .call = [](TemplateService& s, Args) -> Variant {
             return s.ClassTypeID() ? Variant(*s.ClassTypeID()) : Variant();
         }},
        {.name = u"ClassType", .call = [](TemplateService& s, Args) -> Variant { return s.ClassType(); }},
    };
    return InvokeMember(*this, kMembers, name, kind, args);
}

}  // namespace orva::components
