#pragma once
// OrvaBills.ActionCatalog: the actions of a bill type (enter a new bill, open the bill list, approve,
// print, ...), from which the dialogs make the bill's launchable functions. A caller sets ClassTypeID
// and, optionally, ClassType (the template of TemplateService.h for the same type), calls Initialize,
// then GetBillActions; when that answers no action, NewBill, and GetBillActions again.
//
// GetBillActions answers a new dictionary (Dictionary.h) per call: key = the action's key (FKey, e.g.
// "mnuFileNew"), in the action's order; value = a read-only "BillAction" record (MetadataRecord.h)
// with FKey, FName_CHS, FName_CHT, FName_EN, FName and FEnvironment (Long). FName is the name in the
// host's language at the time of the call, so a caller that reads "FName_" + its language or "FName"
// gets the same text, and a text lookup of it leaves it as it is. FEnvironment: bits 1, 2, 4 and 32
// (mask 39) places in the bill form, bits 64 .. 512 (mask 960) places in the bill list.
//
// NewBill: a bill type (FBillTypeID 4) for which the account stores no action gets the suite's
// standard actions of a bill, "mnuFileNew" (新增, 新增, New; FEnvironment 1: the bill form) and
// "mnuViewList" (序时簿, 序時簿, List; 64: the bill list), so that every bill can be published with its
// entry form and its list. They are given to this component only, not written to the account: the
// dialogs call NewBill while they merely list what can be published, an account may be opened read
// only, and two dialogs listing the same bill at once must not race to store metadata. A type that
// has stored actions, or is not a bill, keeps what it has (base data and query objects have no bill
// form, so standard bill actions would offer functions that cannot open). Initialize for another
// type, or again, starts over from the account.
//
// By name: ClassTypeID (property, let and get; a number or a text holding one), ClassType (object
// property, set and get), Initialize, GetBillActions, NewBill (methods, no arguments).
//
// Errors: ClassTypeID raises 13 or 6 for a value that is not a 32-bit integer, ClassType 13 for an
// object that is not a "ClassType" of the template service. Initialize raises 5 when ClassTypeID is
// not set, when ClassType names another type than ClassTypeID, and naming the ID when the account has
// no such class type; GetBillActions and NewBill raise 5 before Initialize and after ClassTypeID or
// ClassType changed; the account's reads raise as MetadataTables.h says.

#include <optional>
#include <vector>

#include "automation/Object.h"
#include "bag/Dictionary.h"
#include "catalog/MetadataRecord.h"
#include "catalog/MetadataTables.h"

namespace orva::components {

class BillActionCatalog : public automation::Object {
public:
    static constexpr const char16_t* kProgId = u"OrvaBills.ActionCatalog";

    // A catalogue over the host's account in the host's language (AccountBinding).
    BillActionCatalog() = default;
    explicit BillActionCatalog(AccountBinding binding) : m_binding(std::move(binding)) {}

    // Setting either one undoes Initialize.
    void SetClassTypeID(int32_t classTypeId);
    std::optional<int32_t> ClassTypeID() const { return m_classTypeId; }
    // Nothing clears the template.
    void SetClassType(automation::ObjectRef classType);
    automation::ObjectRef ClassType() const { return m_classType; }

    // Reads the class type and its stored actions from the account.
    void Initialize();
    // The actions of the initialised type, as described above.
    DictionaryRef GetBillActions() const;
    // Gives a bill type without stored actions the standard ones (see above).
    void NewBill();

    automation::Text TypeName() const override { return u"ActionCatalog"; }
    automation::Variant Invoke(automation::TextView name, automation::CallKind kind,
                               std::span<automation::Variant> args) override;

private:
    void RequireInitialized(automation::TextView member) const;
    void SetActions(std::vector<BillActionRow> actions);

    AccountBinding m_binding;
    std::optional<int32_t> m_classTypeId;
    automation::ObjectRef m_classType;

    bool m_initialized = false;
    int32_t m_kind = 0;  // FBillTypeID of the initialised type
    std::vector<BillActionRow> m_actions;
    // The records of m_actions that GetBillActions hands out, made in m_recordsLanguage.
    mutable std::vector<MetadataRecordRef> m_records;
    mutable std::optional<CatalogLanguage> m_recordsLanguage;
};

// The standard actions NewBill gives a bill type without actions, in their order.
const std::vector<BillActionRow>& StandardBillActions();

}  // namespace orva::components
