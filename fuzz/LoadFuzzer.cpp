// Fuzzes the loading of packet bytes, which come from other installations and are untrusted.
// Besides crashes and sanitizer reports, it stops on two faults of its own:
//  - any error other than 321 (a format fault): loading must judge every input as a packet file
//    or refuse it as one;
//  - a loaded packet that does not save and load back to the same bytes.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "automation/AutomationError.h"
#include "components/PacketFile.h"

using orva::automation::AutomationError;
using orva::components::DecodePacket;
using orva::components::DictionaryRef;
using orva::components::EncodePacket;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    DictionaryRef root;
    try {
        root = DecodePacket(bytes, u"fuzz input");
    } catch (const AutomationError& error) {
        if (error.Number() != orva::automation::errors::kBadFileFormat) std::abort();
        return 0;
    }
    // Whatever loads must save (no error at all is expected here) and come back unchanged.
    std::string saved = EncodePacket(*root);
    std::string again = EncodePacket(*DecodePacket(saved, u"saved fuzz input"));
    if (saved != again) std::abort();
    return 0;
}
