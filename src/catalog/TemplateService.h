#pragma once
// OrvaTemplates.TemplateService: hands out the template of a class type, the "ClassType" object that
// the bill-action catalogue (BillActionCatalog.h) is given before it reads a bill's actions. The
// dialogs create one service per bill type, set ClassTypeID and read ClassType.
//
// The "ClassType" object is a read-only record (MetadataRecord.h) of the type as the account holds it
// when ClassType is read: FID, FName (in the host's language), FName_CHS, FName_CHT, FName_EN, FMName
// (the three names joined by "|"), FBillTypeID and FFunctionID. Each read makes a new record.
//
// By name: ClassTypeID (property, let and get; a number or a text holding one, as the dialogs pass a
// tree node's tag), ClassType (property, get).
//
// Errors: ClassTypeID raises 13 or 6 for a value that is not a 32-bit integer; ClassType raises 5
// when ClassTypeID was never set and 5 naming the ID when the account has no such class type, and
// what the account's reads raise (MetadataTables.h).

#include <optional>

#include "automation/Object.h"
#include "catalog/MetadataRecord.h"
#include "catalog/MetadataTables.h"

namespace orva::components {

class TemplateService : public automation::Object {
public:
    static constexpr const char16_t* kProgId = u"OrvaTemplates.TemplateService";

    // A service over the host's account in the host's language (AccountBinding).
    TemplateService() = default;
    explicit TemplateService(AccountBinding binding) : m_binding(std::move(binding)) {}

    void SetClassTypeID(int32_t classTypeId) { m_classTypeId = classTypeId; }
    std::optional<int32_t> ClassTypeID() const { return m_classTypeId; }

    // The template of the type ClassTypeID, read from the account now.
    MetadataRecordRef ClassType() const;

    automation::Text TypeName() const override { return u"TemplateService"; }
    automation::Variant Invoke(automation::TextView name, automation::CallKind kind,
                               std::span<automation::Variant> args) override;

private:
    AccountBinding m_binding;
    std::optional<int32_t> m_classTypeId;
};

// The class type of the account, or raises 5 "<source>: the account has no class type <id>".
ClassTypeRow RequireClassType(const AccountAddress& account, int32_t classTypeId,
                              automation::TextView source);

// The "ClassType" record of a class type, with FName in language.
MetadataRecordRef MakeClassTypeRecord(const ClassTypeRow& row, CatalogLanguage language);

// The type ID of a "ClassType" record made by MakeClassTypeRecord. Raises 91 for nothing and 13 for
// any other object.
int32_t ClassTypeRecordId(const automation::ObjectRef& classType);

}  // namespace orva::components
