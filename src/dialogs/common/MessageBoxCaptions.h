#pragma once
// What a message box window shows of its own, apart from the caller's text and title: the captions of
// its buttons in the host's language. Qt draws them from its own translations (qtbase_<locale>.qm),
// which the window UI services load for the locale QtLocaleOf names; this table holds the same
// captions so that a play without a window can record what a person would read, and the Qt tests hold
// the two to each other.

#include <string>
#include <vector>

#include "automation/Text.h"
#include "dialogs/common/UiServices.h"

namespace orva::dialogs {

// The locale of Qt's own translations for a host language code (compared without regard to case):
// "zh_TW" for CHT, "en" for EN, and "zh_CN" for CHS and for every other code, empty included, since
// the dialogs then show their texts as written, in Simplified Chinese.
std::string QtLocaleOf(automation::TextView language);

// The captions of the buttons of a message box of this style in this language, left to right as Qt's
// default button layout shows them, access-key markers removed ("是(&Y)" reads "是(Y)"): the buttons
// of the style (0 OK; 1 OK, Cancel; 2 Abort, Retry, Ignore; 3 Yes, No, Cancel; 4 Yes, No; 5 Retry,
// Cancel; any other set as 0) and the toggle "Show Details..." when the request carries details,
// placed by their roles: Yes, OK/Retry/Ignore, No, the toggle, Cancel/Abort ("Retry, Ignore, Abort").
std::vector<automation::Text> MessageBoxButtonCaptions(const MessageBoxRequest& request,
                                                       automation::TextView language);

}  // namespace orva::dialogs
