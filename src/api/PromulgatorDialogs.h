#pragma once
// The steps of clsPromulgator's Promugate and PromugateReport before the show, for callers that drive
// or picture the publish dialog themselves (a command playing a user, a screenshot) and must open it
// exactly as a host's call does. Kept out of the class so that its installed header names no dialog
// type.

#include <cstdint>
#include <memory>

#include "automation/Text.h"
#include "bag/Dictionary.h"

namespace orva::dialogs {
class frmPromu;
class UiServices;
}  // namespace orva::dialogs

namespace orva::api {

// A new publish dialog over ui for subsystem, with the business-object type dctClassType (or nothing)
// to preselect; not yet loaded (ShowModal loads it). Raises nothing.
std::shared_ptr<dialogs::frmPromu> CreateTypeDialog(std::shared_ptr<dialogs::UiServices> ui,
                                                    int32_t subsystem,
                                                    const components::DictionaryRef& dctClassType);

// As CreateTypeDialog, for the report lReportID; the dialog keeps sReportName and lReportIDNumber.
std::shared_ptr<dialogs::frmPromu> CreateReportDialog(std::shared_ptr<dialogs::UiServices> ui,
                                                      int32_t subsystem, const automation::Text& sReportName,
                                                      int32_t lReportID,
                                                      const automation::Text& lReportIDNumber);

}  // namespace orva::api
