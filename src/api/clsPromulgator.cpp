#include "api/clsPromulgator.h"

#include "api/PromulgatorDialogs.h"
#include "automation/MemberTable.h"
#include "dialogs/common/UiContext.h"
#include "dialogs/promu/frmPromu.h"

namespace orva::api {

using namespace automation;
using components::DictionaryRef;

// Pass mode in both calls: nothing is trapped here; a failure to find UI services, or of the show,
// ends the call and reaches the caller. The dialog is released when the call returns, also on failure.
void clsPromulgator::Promugate(const DictionaryRef& dctClassType) {
    CreateTypeDialog(dialogs::CurrentUiServices(), m_subsystem, dctClassType)->ShowModal();
}

void clsPromulgator::PromugateReport(const Text& sReportName, int32_t lReportID,
                                     const Text& lReportIDNumber) {
    CreateReportDialog(dialogs::CurrentUiServices(), m_subsystem, sReportName, lReportID, lReportIDNumber)
        ->ShowModal();
}

Variant clsPromulgator::Invoke(TextView name, CallKind kind, std::span<Variant> args) {
    // clang-format off
    static constexpr Member<clsPromulgator> kMembers[] = {
        {.name = u"Promugate", .minArgs = 1, .maxArgs = 1,
         .call = [](clsPromulgator& p, Args a) -> Variant {
             p.Promugate(a[0].ToObject() ? components::AsDictionary(a[0]) : nullptr);
             return {};
         }},
        {.name = u"PromugateReport", .minArgs = 3, .maxArgs = 3,
         .call = [](clsPromulgator& p, Args a) -> Variant {
             // Converted in order, so the first bad argument is the one reported.
             Text reportName = a[0].ToText();
             int32_t reportId = a[1].ToInt32();
             Text reportType = a[2].ToText();
             p.PromugateReport(reportName, reportId, reportType);
             return {};
         }},
        {.name = u"SubSystem",
         .call = [](clsPromulgator& p, Args) -> Variant { return p.SubSystem(); }},
        {.name = u"SubSystem", .kinds = kLet, .minArgs = 1, .maxArgs = 1,
         .call = [](clsPromulgator& p, Args a) -> Variant { p.SetSubSystem(a[0].ToInt32()); return {}; }},
    };
    // clang-format on
    return InvokeMember(*this, kMembers, name, kind, args);
}

}  // namespace orva::api
