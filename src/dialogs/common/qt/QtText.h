#pragma once
// Text between the library (UTF-16 std::u16string) and Qt (QString, also UTF-16): a copy, no recoding.

#include <QString>

#include "automation/Text.h"

namespace orva::dialogs {

inline QString ToQt(automation::TextView text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

inline automation::Text FromQt(const QString& text) {
    return automation::Text(reinterpret_cast<const char16_t*>(text.utf16()),
                            static_cast<size_t>(text.size()));
}

}  // namespace orva::dialogs
