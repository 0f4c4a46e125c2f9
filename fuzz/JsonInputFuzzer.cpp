// Fuzzes the JSON inputs of pack (a packet set) and deploy --info (deployment information): the same
// reader and shape checks the commands use, then what the command does with what they admit. Built
// twice, as PackInputFuzzer (ORVA_FUZZ_DEPLOY_INFO 0) and DeployInfoFuzzer (1). Besides crashes and
// sanitizer reports it stops on:
//  - a refusal other than 321 (not JSON, too deep, too large) or 13 (a value of the wrong kind) that
//    does not name the input;
//  - pack: an admitted set that cannot be saved as a packet file (but for the memory bound), or whose
//    JSON form does not read back to the same JSON;
//  - deploy --info: admitted information that the remapping of the sample packet refuses: the shape
//    check must admit only what the deployment can use.

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

#include "automation/AutomationError.h"
#include "automation/TextHelpers.h"
#include "bag/PacketFile.h"
#include "bag/PropertyBagJson.h"
#include "bag/Vector.h"
#include "cli/InputShape.h"
#include "core/PacketRemapping.h"

using namespace orva::automation;
using namespace orva::components;

namespace {

const Text kName = u"fuzz.json";

void CheckRefusal(const AutomationError& error) {
    const bool known = error.Number() == errors::kBadFileFormat || error.Number() == errors::kTypeMismatch;
    if (!known || !error.Description().starts_with(kName + u": ")) std::abort();
}

#if ORVA_FUZZ_DEPLOY_INFO
void Use(const DictionaryRef& info) {
    static const std::string packet = [] {
        std::ifstream file(ORVA_SOURCE_DIR "/data/samples/DeployFunction.Dat", std::ios::binary);
        std::stringstream bytes;
        bytes << file.rdbuf();
        return bytes.str();
    }();
    DictionaryRef set = DecodePacket(packet, u"sample");
    for (const char16_t* language : {u"CHS", u"CHT", u"EN"}) {
        auto entries = std::dynamic_pointer_cast<Vector>(set->Value(language).ToObject());
        orva::core::RemapPacket(*entries, *info, language);  // raises nothing for admitted information
    }
}
#else
void Use(const DictionaryRef& set) {
    std::string saved;
    try {
        saved = EncodePacket(*set);
    } catch (const AutomationError& error) {
        if (error.Number() == errors::kInvalidCall &&
            ToUtf8Lossy(error.Description()).find("too many small items") != std::string::npos) {
            return;
        }
        std::abort();
    }
    DecodePacket(saved, u"saved");
    const std::string json = WritePropertyBagJson(Variant(ObjectRef(set)), -1);
    if (WritePropertyBagJson(ParsePropertyBagJson(json, u"again"), -1) != json) std::abort();
}
#endif

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    DictionaryRef root;
    try {
#if ORVA_FUZZ_DEPLOY_INFO
        Variant value = ParsePropertyBagJson(text, kName, orva::cli::DeploymentInfoShape(kName));
#else
        Variant value = ParsePropertyBagJson(text, kName, orva::cli::PacketSetShape(kName));
#endif
        root = std::dynamic_pointer_cast<Dictionary>(value.ToObject());
    } catch (const AutomationError& error) {
        CheckRefusal(error);
        return 0;
    }
    if (!root) std::abort();  // the shape admits objects only
    Use(root);
    return 0;
}
