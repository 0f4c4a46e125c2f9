#include "dialogs/common/MessageBoxCaptions.h"

#include <algorithm>
#include <array>

#include "automation/Text.h"
#include "automation/TextHelpers.h"

namespace orva::dialogs {

using automation::Text;
using automation::TextView;

namespace {

enum Caption {
    kOkCaption,
    kCancelCaption,
    kAbortCaption,
    kRetryCaption,
    kIgnoreCaption,
    kYesCaption,
    kNoCaption,
    kShowDetailsCaption,
    kCaptionCount
};

// Qt's own wording, as its translations for zh_CN and zh_TW give it; English is Qt's source text. Kept
// as UTF-8: these are Qt's texts, never looked up in our translation files.
struct LocaleCaptions {
    const char* locale;
    std::array<const char*, kCaptionCount> captions;
};
const LocaleCaptions kCaptions[] = {
    {"zh_CN", {"确定", "取消", "中止", "重试", "忽略", "是(Y)", "否(N)", "显示详情..."}},
    {"zh_TW", {"確定", "取消", "終止", "重試", "忽略", "是(Y)", "否(N)", "顯示詳情..."}},
    {"en", {"OK", "Cancel", "Abort", "Retry", "Ignore", "Yes", "No", "Show Details..."}},
};

// The button sets of the styles 0-5, as the message box adds them.
const std::vector<Caption> kSets[] = {
    {kOkCaption},
    {kOkCaption, kCancelCaption},
    {kAbortCaption, kRetryCaption, kIgnoreCaption},
    {kYesCaption, kNoCaption, kCancelCaption},
    {kYesCaption, kNoCaption},
    {kRetryCaption, kCancelCaption},
};

// Where Qt's default button layout puts a button, left to right, by its role: Yes, then the accepting
// buttons (OK, Retry, Ignore), No, the actions (the details toggle), then the rejecting ones (Cancel,
// Abort). Within a role the order of adding stays.
int Place(Caption caption) {
    switch (caption) {
        case kYesCaption:
            return 0;
        case kNoCaption:
            return 2;
        case kShowDetailsCaption:
            return 3;
        case kCancelCaption:
        case kAbortCaption:
            return 4;
        default:
            return 1;
    }
}

}  // namespace

std::string QtLocaleOf(TextView language) {
    if (automation::EqualsNoCase(language, u"CHT")) return "zh_TW";
    if (automation::EqualsNoCase(language, u"EN")) return "en";
    return "zh_CN";
}

std::vector<Text> MessageBoxButtonCaptions(const MessageBoxRequest& request, TextView language) {
    const std::string locale = QtLocaleOf(language);
    const LocaleCaptions* table = &kCaptions[0];
    for (const LocaleCaptions& candidate : kCaptions) {
        if (locale == candidate.locale) table = &candidate;
    }
    const size_t set = static_cast<size_t>(request.style & 0x7);
    std::vector<Caption> shown = kSets[set < std::size(kSets) ? set : 0];
    if (!request.details.empty()) shown.push_back(kShowDetailsCaption);
    std::stable_sort(shown.begin(), shown.end(), [](Caption a, Caption b) { return Place(a) < Place(b); });
    std::vector<Text> captions;
    for (Caption caption : shown) captions.push_back(automation::FromUtf8(table->captions[caption]));
    return captions;
}

}  // namespace orva::dialogs
