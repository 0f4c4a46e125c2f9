// orva-deploy show FILE [--json]: prints a packet file.

#include <ostream>

#include "automation/TextHelpers.h"
#include "bag/Dictionary.h"
#include "bag/PropertyBagJson.h"
#include "bag/Vector.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"

namespace orva::cli {

using namespace automation;
using namespace components;

namespace {

// A value on one line of the outline: texts quoted and made safe for a terminal, others as in JSON.
std::string Scalar(const Variant& value) {
    if (const Text* text = value.TextIf()) return "\"" + TerminalText(*text) + "\"";
    return WritePropertyBagJson(value, -1);
}

// Readable outline: dictionaries as "key: value" lines, vectors as numbered items.
void PrintOutline(std::ostream& out, const Variant& value, int indent) {
    std::string pad(static_cast<size_t>(indent) * 2, ' ');
    ObjectRef object = value.IsObject() ? value.ToObject() : nullptr;
    if (auto dictionary = std::dynamic_pointer_cast<Dictionary>(object)) {
        for (int32_t i = 1; i <= dictionary->Count(); ++i) {
            const Text& key = dictionary->Key(i);
            Variant item = dictionary->Value(key);
            if (item.IsObject() && item.ToObject()) {
                out << pad << TerminalText(key) << ":\n";
                PrintOutline(out, item, indent + 1);
            } else {
                out << pad << TerminalText(key) << ": " << Scalar(item) << "\n";
            }
        }
    } else if (auto vector = std::dynamic_pointer_cast<Vector>(object)) {
        if (vector->Count() == 0) out << pad << "(empty)\n";
        for (int32_t i = 1; i <= vector->Count(); ++i) {
            const Variant& item = vector->Item(i);
            if (item.IsObject() && item.ToObject()) {
                out << pad << "[" << i << "]\n";
                PrintOutline(out, item, indent + 1);
            } else {
                out << pad << "[" << i << "] " << Scalar(item) << "\n";
            }
        }
    } else {
        out << pad << Scalar(value) << "\n";
    }
}

class ShowCommand : public Command {
public:
    std::string Name() const override { return "show"; }
    std::string Description() const override { return "Print a packet file"; }

    void Configure(CLI::App& sub) override {
        sub.add_option("file", m_file, "Packet file (for example DeployFunction.Dat)")
            ->type_name("PACKETFILE")
            ->required();
        sub.add_flag("--json", m_json, "Print the JSON form that \"orva-deploy pack\" reads");
    }

    int Execute(const HostOptions&, Streams& streams) override {
        try {
            DictionaryRef root = Dictionary::Create();
            root->Load(FromUtf8(m_file));
            if (m_json) {
                streams.out << WritePropertyBagJson(root) << "\n";
            } else {
                PrintOutline(streams.out, root, 0);
            }
            return kExitOk;
        } catch (const AutomationError& error) {
            return ReportFailure(streams, "show", error);
        }
    }

private:
    std::string m_file;
    bool m_json = false;
};

}  // namespace

std::unique_ptr<Command> MakeShowCommand() { return std::make_unique<ShowCommand>(); }

}  // namespace orva::cli
