#include "catalog/ReportCatalog.h"

#include "automation/AutomationError.h"
#include "automation/MemberTable.h"
#include "automation/TextHelpers.h"

namespace orva::components {

using namespace automation;

namespace {

void RequireAllReports(const char16_t* what, int32_t value) {
    if (value != 0) {
        Raise(errors::kInvalidCall, Text(ReportCatalog::kProgId) + u": GetReportRs: " + what + u" " +
                                        Int32ToText(value) +
                                        u" is not kept by this account; pass 0 for every report");
    }
}

}  // namespace

std::shared_ptr<Recordset> ReportCatalog::GetReportRs(TextView propsString, int32_t reportClass,
                                                      int32_t reportGroup, int32_t subsystem) const {
    RequireAllReports(u"report class", reportClass);
    RequireAllReports(u"report group", reportGroup);
    return QueryReports(AccountFromPropsString(propsString), LanguageFromPropsString(propsString), subsystem);
}

Variant ReportCatalog::Invoke(TextView name, CallKind kind, std::span<Variant> args) {
    static constexpr Member<ReportCatalog> kMembers[] = {
        {.name = u"GetReportRs",
         .minArgs = 4,
         .maxArgs = 4,
         .call = [](ReportCatalog& c, Args a) -> Variant {
             return c.GetReportRs(a[0].ToText(), a[1].ToInt32(), a[2].ToInt32(), a[3].ToInt32());
         }},
    };
    return InvokeMember(*this, kMembers, name, kind, args);
}

}  // namespace orva::components
