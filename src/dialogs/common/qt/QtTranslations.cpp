#include "dialogs/common/qt/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>
#include <string>

#include "dialogs/common/MessageBoxCaptions.h"
#include "hostctx/Texts.h"

namespace orva::dialogs {

namespace {

// The installed translation and the locale it was loaded for; touched only on the application's
// thread, like every window.
struct Installed {
    std::string locale;
    std::unique_ptr<QTranslator> translator;
};

Installed& Current() {
    static Installed installed;
    return installed;
}

}  // namespace

void FollowHostLanguage() {
    const std::string locale = QtLocaleOf(hostctx::LearnCurrentLanguage());
    Installed& installed = Current();
    if (installed.locale == locale) return;
    if (installed.translator) QCoreApplication::removeTranslator(installed.translator.get());
    installed.translator.reset();
    installed.locale = locale;
    auto translator = std::make_unique<QTranslator>();
    if (translator->load(QString::fromStdString("qtbase_" + locale),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(translator.get());
        installed.translator = std::move(translator);
    }
}

}  // namespace orva::dialogs
