#include "api/PromulgatorDialogs.h"

#include "dialogs/promu/frmPromu.h"

namespace orva::api {

using dialogs::frmPromu;

std::shared_ptr<frmPromu> CreateTypeDialog(std::shared_ptr<dialogs::UiServices> ui, int32_t subsystem,
                                           const components::DictionaryRef& dctClassType) {
    auto dialog = std::make_shared<frmPromu>(std::move(ui));
    dialog->ClassType = dctClassType;
    dialog->m_lCurSubSystem = subsystem;
    return dialog;
}

std::shared_ptr<frmPromu> CreateReportDialog(std::shared_ptr<dialogs::UiServices> ui, int32_t subsystem,
                                             const automation::Text& sReportName, int32_t lReportID,
                                             const automation::Text& lReportIDNumber) {
    // ClassType stays nothing: that is how the dialog tells a report call from a type call.
    auto dialog = std::make_shared<frmPromu>(std::move(ui));
    dialog->m_lCurSubSystem = subsystem;
    dialog->ReportName = sReportName;
    dialog->ReportID = lReportID;
    dialog->ReportType = lReportIDNumber;
    return dialog;
}

}  // namespace orva::api
