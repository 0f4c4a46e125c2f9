// orva-deploy pack IN.json -o FILE: builds a packet file from its JSON form.

#include "automation/TextHelpers.h"
#include "bag/Dictionary.h"
#include "bag/PropertyBagJson.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/InputShape.h"
#include "cli/TerminalProgress.h"

namespace orva::cli {

using namespace automation;
using namespace components;

namespace {

class PackCommand : public Command {
public:
    std::string Name() const override { return "pack"; }
    std::string Description() const override { return "Build a packet file from its JSON form"; }

    void Configure(CLI::App& sub) override {
        sub.add_option("input", m_input,
                       "JSON file: objects become dictionaries, arrays vectors, strings texts")
            ->type_name("JSON")
            ->required();
        sub.add_option("-o,--output", m_output, "Packet file to write (replaced safely if it exists)")
            ->type_name("FILE")
            ->required();
        sub.footer(
            "\nThe top-level JSON value must be an object. A packet set has the keys \"CHS\", \"CHT\" and\n"
            "\"EN\", each an array of deployment entries. \"orva-deploy show FILE --json\" prints the same\n"
            "JSON back. Their entries must be objects whose fields are texts or numbers. The input must be\n"
            "a regular file of at most 64 MiB, nested at most 64 levels deep.\n\n"
            "Example:\n  orva-deploy pack data/samples/packet-set.json -o /tmp/DeployFunction.Dat");
    }

    int Execute(const HostOptions& host, Streams& streams) override {
        try {
            // Parsing is most of the time a big file takes: the meter counts the JSON's bytes read.
            TerminalProgress meter(streams.err, ProgressWanted(host, streams), "reading",
                                   ProgressUnit::Bytes);
            // The shape is checked while parsing: a wrong value ends the read where it stands.
            Variant root =
                ParsePropertyBagJson(ReadInputFile(m_input), FromUtf8(m_input),
                                     PacketSetShape(FromUtf8(m_input)), meter.AsCallback<JsonProgress>());
            meter.Erase();
            auto dictionary = std::dynamic_pointer_cast<Dictionary>(root.ToObject());
            dictionary->Save(FromUtf8(m_output));
            return kExitOk;
        } catch (const AutomationError& error) {
            return ReportFailure(streams, "pack", error);
        }
    }

private:
    std::string m_input;
    std::string m_output;
};

}  // namespace

std::unique_ptr<Command> MakePackCommand() { return std::make_unique<PackCommand>(); }

}  // namespace orva::cli
