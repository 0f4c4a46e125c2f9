#pragma once
// clsPromulgator: the public class through which a host opens the publish dialog (frmPromu) for one
// business-object type or one report of a subsystem. Each call shows a newly created dialog modally,
// waits until the user closes it and releases it: calls never share dialog state. The publishing
// itself happens inside the dialog; nothing is returned to the caller. The class keeps only the
// subsystem for the next call (0 until set).
//
// Creatable by program ID "OrvaClassDeploy.clsPromulgator" and callable by name with the members
// Promugate, PromugateReport (methods) and SubSystem (property get and let), in this interface order.
// The class raises no events; its event interface has an identifier so that hosts can connect to it.

#include <cstdint>

#include "automation/Object.h"
#include "bag/Dictionary.h"

namespace orva::api {

class clsPromulgator : public automation::Object {
public:
    static constexpr const char16_t* kProgId = u"OrvaClassDeploy.clsPromulgator";
    // Identifiers of the class, of its automation interface _clsPromulgator and of its event
    // interface. Fixed for good: hosts and registration files may record them.
    static constexpr const char16_t* kClassId = u"{386B3488-8B89-4910-ACF7-97AFFFF3692E}";
    static constexpr const char16_t* kInterfaceId = u"{2680B78A-206F-4F03-B5E3-6DA9B7128FDA}";
    static constexpr const char16_t* kEventInterfaceId = u"{4AF66B7A-B262-4CD0-B39C-6A592F3BB2D3}";

    // The subsystem whose business objects and reports the next dialog lists. Stored as given, without
    // any check: a subsystem that does not exist gives a dialog with empty groups.
    int32_t SubSystem() const { return m_subsystem; }
    void SetSubSystem(int32_t subsystem) { m_subsystem = subsystem; }

    // Shows the publish dialog with the business-object type dctClassType preselected when the
    // dialog's tree lists it (its "FBillTypeID" 1 for base data, any other value for a bill, and its
    // "FID"); a type the tree does not list, or nothing, preselects nothing. The dialog holds the
    // dictionary itself, not a copy, while it is shown. The dialog shows in a window of the host's
    // display, unless other UI services were installed for the calling thread.
    // Errors reach the caller: the UI services' error when no window can be opened (5 "No window can
    // be opened: ..."; nothing is shown then), and whatever the dialog's show raises.
    void Promugate(const components::DictionaryRef& dctClassType);

    // As Promugate, with the report whose ID is lReportID preselected when the tree lists it.
    // sReportName and lReportIDNumber (the report's type) are handed to the dialog, which keeps them
    // and reads neither.
    void PromugateReport(const automation::Text& sReportName, int32_t lReportID,
                         const automation::Text& lReportIDNumber);

    automation::Text TypeName() const override { return u"clsPromulgator"; }
    // By name, arguments are converted as a typed call converts them, before anything is shown:
    // Promugate takes a Dictionary or nothing (13 for anything else), PromugateReport and SubSystem
    // take texts and numbers as Variant::ToInt32 reads them (13 for a text that is no number, 6 beyond 32
    // bits). 450 for a wrong number of arguments, 438 for another member.
    automation::Variant Invoke(automation::TextView name, automation::CallKind kind,
                               std::span<automation::Variant> args) override;

private:
    int32_t m_subsystem = 0;
};

}  // namespace orva::api
