// Fuzzes the reading of --play scripts, which the wizard and the publish dialog share: both parse
// their steps through ParsePlayScript before any window or model exists. Besides crashes and sanitizer
// reports it stops on:
//  - any failure other than a PlayError (a script is either read or refused naming itself);
//  - a refusal that does not name the script, or that quotes more than a cut value;
//  - a script read whose steps are not numbered 1, 2, ... in order.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "dialogs/play/PlayScript.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        orva::dialogs::PlayScript script = orva::dialogs::ParsePlayScript(text, u"fuzz.json");
        for (size_t i = 0; i < script.steps.size(); ++i) {
            if (script.steps[i].number != static_cast<int32_t>(i + 1)) std::abort();
        }
    } catch (const orva::dialogs::PlayError& error) {
        if (!error.Message().starts_with(u"fuzz.json: ")) std::abort();
        // Quoted values are cut to about 60 characters; the longest fixed wording is below 200.
        if (error.Message().size() > 400) std::abort();
    }
    return 0;
}
