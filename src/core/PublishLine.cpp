#include "core/PublishLine.h"

#include "automation/PendingError.h"
#include "core/DeployPacket.h"
#include "hostctx/Texts.h"

namespace orva::core {

std::array<automation::Text, 3> PublishLinePatterns() {
    std::array<automation::Text, 3> patterns;
    for (size_t k = 0; k < patterns.size(); ++k) {
        patterns[k] = kPublishLinePattern;
        // Skip, unrecorded: the pattern as written stands in for a translation that cannot be had.
        automation::RunIgnoring([&] {
            patterns[k] =
                hostctx::TranslateTextTo(automation::Variant(kPublishLinePattern), kPacketLanguages[k]);
        });
    }
    return patterns;
}

}  // namespace orva::core
