// Writes the fuzzer's seed corpus into a folder: packet files built from the JSON packet sets named
// on the command line (for example data/samples/*.json) and a few made here that hold every kind of
// value, nesting and text the format knows.
//
// Usage: PacketSeedWriter FOLDER [PACKET.json ...]

#include <fstream>
#include <iostream>
#include <limits>
#include <sstream>
#include <string>

#include "automation/AutomationError.h"
#include "bag/Dictionary.h"
#include "bag/PacketFile.h"
#include "bag/PropertyBagJson.h"
#include "bag/Vector.h"

using namespace orva::automation;
using namespace orva::components;

namespace {

void Write(const std::string& folder, const std::string& name, const Dictionary& root) {
    std::ofstream(folder + "/" + name, std::ios::binary) << EncodePacket(root);
}

DictionaryRef Entry(int index) {
    DictionaryRef entry = Dictionary::Create();
    Text id = FromUtf8(std::to_string(index));
    entry->SetValue(u"FTopClassID", u"3");
    entry->SetValue(u"FTopClassName", u"供应链");
    entry->SetValue(u"FSubSystemID", u"301");
    entry->SetValue(u"FSubSystemName", u"採購管理");
    entry->SetValue(u"FSubFuncID", u"1061");
    entry->SetValue(u"FSubFuncName", u"Basic data");
    entry->SetValue(u"NewName", u"质检方案-维护");
    entry->SetValue(u"FFuncName", u"质检方案-维护");
    entry->SetValue(u"FClassName", u"OrvaHost.Application");
    entry->SetValue(u"FClassParam", u"Base|" + id);
    entry->SetValue(u"FHelpCode", u"");
    entry->SetValue(u"No", u"[质检方案-维护] 发布到: [供应链.采购管理.基础资料]");
    return entry;
}

DictionaryRef EveryValue() {
    DictionaryRef root = Dictionary::Create();
    root->SetValue(u"empty", Variant());
    root->SetValue(u"null", Variant(NullValue{}));
    root->SetValue(u"true", true);
    root->SetValue(u"false", false);
    root->SetValue(u"long", std::numeric_limits<int32_t>::min());
    root->SetValue(u"small", int32_t{23});
    root->SetValue(u"double", 0.1);
    root->SetValue(u"nan", std::numeric_limits<double>::quiet_NaN());
    root->SetValue(u"text", Text(u"繁體 \U0001F600 Ä"));
    root->SetValue(u"long text", Text(300, u'x'));
    VectorRef list = Vector::Create();
    list->Add(Dictionary::Create());
    list->Add(Vector::Create());
    list->Add(Entry(1));
    root->SetValue(u"list", list);
    return root;
}

DictionaryRef Nested(int levels) {
    DictionaryRef root = Dictionary::Create();
    DictionaryRef inner = root;
    for (int i = 0; i < levels; ++i) {
        DictionaryRef next = Dictionary::Create();
        inner->SetValue(u"k", next);
        inner = next;
    }
    return root;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: PacketSeedWriter FOLDER [PACKET.json ...]\n";
        return 2;
    }
    std::string folder = argv[1];
    try {
        for (int i = 2; i < argc; ++i) {
            std::ifstream file(argv[i], std::ios::binary);
            std::ostringstream json;
            json << file.rdbuf();
            Variant value = ParsePropertyBagJson(json.str(), FromUtf8(argv[i]));
            Write(folder, "json-" + std::to_string(i - 1) + ".Dat", *AsDictionary(value));
        }
        DictionaryRef set = Dictionary::Create();
        for (const char16_t* language : {u"CHS", u"CHT", u"EN"}) {
            VectorRef packet = Vector::Create();
            for (int i = 0; i < 2; ++i) packet->Add(Entry(i));
            set->SetValue(language, packet);
        }
        Write(folder, "packet-set.Dat", *set);
        Write(folder, "every-value.Dat", *EveryValue());
        Write(folder, "empty.Dat", *Dictionary::Create());
        Write(folder, "nested-64.Dat", *Nested(64));
    } catch (const AutomationError& error) {
        std::cerr << "PacketSeedWriter: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
