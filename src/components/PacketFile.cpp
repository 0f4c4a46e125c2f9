#include "components/PacketFile.h"

#include "automation/AutomationError.h"

namespace orva::components {

// Placeholder until the CBOR codec lands.
void SavePacketFile(const automation::Text&, const Dictionary&) { automation::Raise(5, u"not yet"); }
DictionaryRef LoadPacketFile(const automation::Text&) { automation::Raise(5, u"not yet"); }
std::string EncodePacket(const Dictionary&) { automation::Raise(5, u"not yet"); }
DictionaryRef DecodePacket(std::string_view, const automation::Text&) { automation::Raise(5, u"not yet"); }

}  // namespace orva::components
