#pragma once
// OrvaReports.ReportCatalog: the reports of one business subsystem, as the publish dialog reads them to
// build its tree of reports.
//
// GetReportRs answers a live, forward-only recordset (Recordset.h) in FID order with the fields FID,
// FName (in the language of the properties string), FName_CHS, FName_CHT, FName_EN, FType and
// FFunctionID. A subsystem without reports, or one the account does not have, gives an empty
// recordset (the dialog then shows no report), never nothing.
//
// The two numbers between the properties string and the subsystem select a report class and a report
// group in suites that keep them; an account has neither, so only 0 (every report) is accepted.
// Another value raises 5 naming it: answering every report to a caller who asked for a part of them
// would publish reports the caller did not mean.
//
// By name: GetReportRs(propsString, reportClass, reportGroup, subsystem); the numbers are read as
// 32-bit integers (13 or 6 when they are not), the subsystem is taken by reference and left unchanged.
//
// Errors: as above; 5 when the properties string names no account; what the account's reads raise
// (MetadataTables.h).

#include <memory>

#include "automation/Object.h"
#include "catalog/MetadataTables.h"
#include "catalog/Recordset.h"

namespace orva::components {

class ReportCatalog : public automation::Object {
public:
    static constexpr const char16_t* kProgId = u"OrvaReports.ReportCatalog";

    // The account and language come from propsString (AccountLocation.h, LanguageFromPropsString).
    std::shared_ptr<Recordset> GetReportRs(automation::TextView propsString, int32_t reportClass,
                                           int32_t reportGroup, int32_t subsystem) const;

    automation::Text TypeName() const override { return u"ReportCatalog"; }
    automation::Variant Invoke(automation::TextView name, automation::CallKind kind,
                               std::span<automation::Variant> args) override;
};

}  // namespace orva::components
