#pragma once
// The text of a publish-list line: "[%1] 发布到: [%2.%3.%4]" with the function's, the top class's,
// the subsystem's and the sub-function's names. The wizard shows it in the host's language and writes
// it, in each packet language, as the "No" of the selection entries it hands over; a packet exported
// from a catalogue gets the same texts, so both kinds of packet file read alike.

#include <array>

#include "automation/Text.h"

namespace orva::core {

inline constexpr const char16_t* kPublishLinePattern = u"[%1] 发布到: [%2.%3.%4]";

// The pattern translated into each packet language, in the order of kPacketLanguages (CHS, CHT, EN).
// A language whose translation cannot be looked up (the string loader cannot be created) gets the
// pattern as written, as TranslateText gives the host's own. Never raises, and leaves a caller's
// pending error as it was; look it up once per list, not once per line.
std::array<automation::Text, 3> PublishLinePatterns();

}  // namespace orva::core
