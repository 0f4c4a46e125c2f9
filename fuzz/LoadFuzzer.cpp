// Fuzzes the loading of packet bytes, which come from other installations and are untrusted.
// Besides crashes and sanitizer reports, it stops on two faults of its own:
//  - any error other than 321 (a format fault): loading must judge every input as a packet file
//    or refuse it as one;
//  - a loaded packet that does not save and load back to the same bytes. Saving may refuse one
//    thing only: a tree that would take more memory than the bound of loading allows for its saved
//    size (shorter than the input where the input used wider heads than needed); what it saves
//    must load;
//  - streaming the input through a small window judging it differently from reading it in memory
//    (another outcome, another refusal message or another packet).

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <string_view>

#include "automation/AutomationError.h"
#include "bag/PacketCodec.h"
#include "bag/PacketFile.h"
#include "cbor/ByteSource.h"

using orva::automation::AutomationError;
using orva::components::DecodePacket;
using orva::components::DictionaryRef;
using orva::components::EncodePacket;

namespace {

class MemorySource : public orva::components::ByteSource {
public:
    explicit MemorySource(std::string_view bytes) : m_bytes(bytes) {}
    size_t Size() const override { return m_bytes.size(); }
    size_t ReadAt(size_t offset, char* out, size_t size) override {
        if (offset >= m_bytes.size()) return 0;
        return m_bytes.copy(out, size, offset);
    }

private:
    std::string_view m_bytes;
};

// The outcome of loading: the saved bytes of the packet, or the refusal's description (of loading,
// or of saving what was loaded; the latter is judged below).
std::string Outcome(const std::function<DictionaryRef()>& load) {
    DictionaryRef root;
    try {
        root = load();
    } catch (const AutomationError& error) {
        if (error.Number() != orva::automation::errors::kBadFileFormat) std::abort();
        return "refused " + orva::automation::ToUtf8Lossy(error.Description());
    }
    try {
        return "packet " + EncodePacket(*root);
    } catch (const AutomationError& error) {
        return "unsaved " + orva::automation::ToUtf8Lossy(error.Description());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    MemorySource source(bytes);
    std::string inMemory = Outcome([&] { return DecodePacket(bytes, u"fuzz input"); });
    std::string streamed = Outcome([&] { return DecodePacket(source, u"fuzz input", 7); });
    if (inMemory != streamed) std::abort();

    DictionaryRef root;
    try {
        root = DecodePacket(bytes, u"fuzz input");
    } catch (const AutomationError&) {
        return 0;
    }
    // Whatever loads must save (but for the memory bound) and come back unchanged.
    std::string saved;
    try {
        saved = EncodePacket(*root);
    } catch (const AutomationError& error) {
        bool overBound = orva::automation::ToUtf8Lossy(error.Description()).find("too many small items") !=
                         std::string::npos;
        if (error.Number() == orva::automation::errors::kInvalidCall && overBound) return 0;
        std::abort();
    }
    std::string again = EncodePacket(*DecodePacket(saved, u"saved fuzz input"));
    if (saved != again) std::abort();
    return 0;
}
