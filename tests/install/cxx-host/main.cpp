// A C++ host of the library: it publishes its login's properties, creates the wizard by program ID,
// deploys a packet file by calling DeployToLumoMain by name (the message list comes back through the
// by-reference argument) and prints the message list.
// Usage: cxx-host PACKETFILE ACCOUNT.db LANGUAGE
#include <OrvaClassDeploy/api/clsDeploywizard.h>
#include <OrvaClassDeploy/automation/AutomationError.h>
#include <OrvaClassDeploy/automation/ClassRegistry.h>
#include <OrvaClassDeploy/bag/Vector.h>
#include <OrvaClassDeploy/services/PropertyStore.h>
#include <unistd.h>

#include <iostream>
#include <vector>

int main(int argc, char** argv) {
    namespace automation = orva::automation;
    if (argc != 4) {
        std::cerr << "usage: cxx-host PACKETFILE ACCOUNT.db LANGUAGE\n";
        return 2;
    }
    try {
        automation::Text language = automation::FromUtf8(argv[3]);
        auto& table = orva::components::SharedPropertyTable::Instance();
        table.Publish(getpid(), u"Language", language);
        table.Publish(
            getpid(), u"PropsString",
            u"Language=" + language + u";ConnectString=sqlite:" + automation::FromUtf8(argv[2]) + u";");

        automation::ObjectRef wizard = automation::CreateObject(orva::api::clsDeploywizard::kProgId);
        std::vector<automation::Variant> args{automation::FromUtf8(argv[1]), nullptr, nullptr};
        bool deployed = automation::CallByName(wizard, u"DeployToLumoMain", args).ToBool();
        auto messages = orva::components::AsVector(args[2]);
        for (const automation::Variant& line : *messages)
            std::cout << automation::ToUtf8Lossy(line.ToText()) << "\n";
        std::cout << "DeployToLumoMain returned " << (deployed ? "True" : "False") << "\n";
        return deployed ? 0 : 1;
    } catch (const automation::AutomationError& error) {
        std::cerr << "cxx-host: error " << error.Number() << ": "
                  << automation::ToUtf8Lossy(error.Description()) << "\n";
        return 1;
    }
}
