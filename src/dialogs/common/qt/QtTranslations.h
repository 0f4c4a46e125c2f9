#pragma once
// Qt's own texts (message box buttons, the details toggle, the context menus of text boxes, the
// buttons of standard dialogs) in the host's language: the window UI services call this before each
// window they show, so the texts follow the language the host context holds and switch when it changes.

namespace orva::dialogs {

// Installs on the application object Qt's translation qtbase_<locale>.qm (locale: QtLocaleOf the
// thread's current language, learned if not yet known) from Qt's translations folder, replacing the
// one installed for another language; does nothing when that language's is installed already. Where
// the file is missing or unreadable, no translation stays installed and Qt shows its English texts.
// Needs the application object; never raises.
void FollowHostLanguage();

}  // namespace orva::dialogs
